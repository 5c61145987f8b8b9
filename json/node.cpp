#include "json/node.h"

#include <cstring>

#include <new>

namespace {

// The key of every node without one: never freed.
const char kNoKey[] = "";

// A copy of at most capacity - 1 characters of `text`; kNoKey for an empty
// one, null when memory ran out.
const char* CopyBounded(const char* text, size_t capacity) {
  size_t length = 0;
  while (text && length + 1 < capacity && text[length]) ++length;
  if (length == 0) return kNoKey;
  char* copy = new (std::nothrow) char[length + 1];
  if (!copy) return nullptr;
  std::memcpy(copy, text, length);
  copy[length] = 0;
  return copy;
}

}  // namespace

cJson::Node::Node(Kind nodeKind, const char* nodeKey)
    : kind(nodeKind), typeName("cJson::Node"), key(CopyBounded(nodeKey, kKeyCapacity)) {}

cJson::Node::~Node() {
  if (key != kNoKey) delete[] key;
}

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
