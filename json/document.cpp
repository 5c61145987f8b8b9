#include "json/document.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "json/embedded_text.h"
#include "json/object.h"
#include "json/parser.h"
#include "platform/files.h"
#include "platform/owned_file.h"

namespace {

// The whole file as a NUL-terminated text, or null. Lengths are 32-bit
// counts: a file of 2 GB or more is refused rather than cut.
std::unique_ptr<char[]> ReadWholeFile(FILE* file) {
  if (!platform::SeekFile(file, 0, SEEK_END)) return nullptr;
  const int64_t length = platform::TellFile(file);
  if (length < 0 || length >= std::numeric_limits<int32_t>::max()) return nullptr;
  if (!platform::SeekFile(file, 0, SEEK_SET)) return nullptr;
  std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
  if (!text) return nullptr;
  // A file that shrank meanwhile gives what could still be read.
  const size_t read = std::fread(text.get(), 1, static_cast<size_t>(length), file);
  text[read] = 0;
  return text;
}

}  // namespace

cJson::cJson() : root(nullptr), sourcePath{} {}

cJson::~cJson() { Release(); }

bool cJson::Parse(const char* text) {
  const char* object = JsonParser::FindRootObject(text);
  if (!object) return false;
  JsonNode* newRoot = new (std::nothrow) JsonNode("head-node");
  if (!newRoot || !newRoot->key || !newRoot->members.IsUsable()) {
    delete newRoot;
    return false;
  }
  delete root;
  root = newRoot;
  const char* cursor = object + 1;
  JsonParser parser(text);
  parser.ParseObject(cursor, root, 1);
  if (parser.ranOutOfMemory()) {
    // An incomplete tree must not pass for the document: what was read goes,
    // the empty root stays, as after a failed load.
    root->Clear();
    return false;
  }
  return true;
}

bool cJson::LoadFile(const char* path) {
  // The old tree goes first, whatever happens next: a failed load leaves an
  // empty root, on which every lookup returns null.
  if (root) root->Clear();
  // A longer path is refused, not shortened: a shortened path would name
  // another file.
  if (!path || std::strlen(path) > kMaxPathLength) return false;
  std::unique_ptr<char[]> text;
  {
    const platform::OwnedFile file(platform::OpenFile(path, "rb"));
    if (!file) return false;
    std::memcpy(sourcePath, path, std::strlen(path) + 1);
    text = ReadWholeFile(file.get());
  }
  return text && Parse(text.get());
}

bool cJson::LoadEmbedded(int resourceId, bool* shortRead) {
  std::unique_ptr<char[]> text;
  const json::EmbeddedRead read = json::ReadEmbeddedText(resourceId, &text);
  if (shortRead) *shortRead = read == json::EmbeddedRead::kShortRead;
  return read == json::EmbeddedRead::kRead && Parse(text.get());
}

void cJson::Release() {
  delete root;
  root = nullptr;
}

cJson::Node* cJson::Find(const char* key) { return root ? root->Find(key) : nullptr; }
