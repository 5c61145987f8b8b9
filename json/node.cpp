#include "json/node.h"

#include <cstring>

namespace {

// Copies as much of `text` as fits, always terminated.
void CopyBounded(char* destination, size_t capacity, const char* text) {
  size_t length = 0;
  while (text && length + 1 < capacity && text[length]) ++length;
  if (length) std::memcpy(destination, text, length);
  destination[length] = 0;
}

}  // namespace

cJson::Node::Node(Kind nodeKind, const char* nodeKey) : kind(nodeKind) {
  SetTypeName("cJson::Node");
  CopyBounded(key, sizeof key, nodeKey);
}

cJson::Node::~Node() = default;

void cJson::Node::SetTypeName(const char* name) { CopyBounded(typeName, sizeof typeName, name); }

void cJson::Node::Clear() {}
const char* cJson::Node::GetText() { return typeName; }
const WideChar* cJson::Node::GetWideText() { return nullptr; }
int32_t cJson::Node::GetInt() { return 0; }
int64_t cJson::Node::GetInt64() { return 0; }
int32_t cJson::Node::GetHex() { return 0; }
int64_t cJson::Node::GetHex64() { return 0; }
cJson::Node* cJson::Node::Child(const char*) { return nullptr; }
cJson::Node* cJson::Node::Element(int32_t) { return nullptr; }
cJson::Node* cJson::Node::Find(const char*) { return nullptr; }
cJson::Node* cJson::Node::At(int32_t) { return nullptr; }
