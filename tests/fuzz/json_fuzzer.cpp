// Fuzzes cJson::Parse with any bytes, then walks the tree it built the way
// the program's readers do (lookups by key and index, every conversion,
// GetWideText) and checks the invariants the reader promises. A broken
// invariant traps, which libFuzzer reports as a crash.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "json/json.h"
#include "json/parser.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

struct Walk {
  int objects = 0;
};

void Visit(cJson::Node* node, int depth, Walk* walk);

void VisitObject(JsonNode* object, int depth, Walk* walk) {
  Require(depth <= JsonParser::kMaxDepth);
  Require(std::strcmp(object->GetText(), "cJson::Node::eJsonNode") == 0);
  ++walk->objects;
  const int32_t entries = object->members.CountEntries();
  for (MemberEntry* entry = object->members.newest; entry; entry = entry->older) {
    Require(std::strlen(entry->key) <= JsonParser::kMaxKeyLength);
    // Every member is found again under its own key, and is filed under it.
    Require(object->Child(entry->key) == entry->node);
    Require(object->Find(entry->key) == entry->node);
    if (entry->node) {
      Require(std::strcmp(entry->node->key, entry->key) == 0);
      Visit(entry->node, depth, walk);
    }
  }
  Require(object->members.CountEntries() == entries);
  // A missing key leaves one empty entry, found again without a second.
  const char* missing = "\x01missing";
  if (!object->Child(missing)) {
    Require(object->members.CountEntries() == entries + 1);
    Require(object->Child(missing) == nullptr);
    Require(object->members.CountEntries() == entries + 1);
  }
  Require(object->Element(0) == nullptr);
  Require(object->GetInt() == 0 && object->GetHex64() == 0 && object->GetWideText() == nullptr);
}

void Visit(cJson::Node* node, int depth, Walk* walk) {
  switch (node->kind) {
    case cJson::Node::eJsonValue: {
      Require(std::strcmp(node->typeName, "cJson::Node") == 0);
      const char* text = node->GetText();
      Require(text != nullptr);
      Require(std::strlen(text) <= JsonParser::kMaxScalarLength);
      Require(static_cast<JsonValue*>(node)->size == static_cast<int32_t>(std::strlen(text)) + 1);
      const WideChar* wide = node->GetWideText();
      Require(wide != nullptr && node->GetWideText() == wide);
      volatile int64_t sink = node->GetInt();
      sink = node->GetInt64();
      sink = node->GetHex();
      sink = node->GetHex64();
      (void)sink;
      Require(node->Child("x") == nullptr && node->Element(0) == nullptr && node->At(0) == nullptr);
      break;
    }
    case cJson::Node::eJsonNode:
      VisitObject(static_cast<JsonNode*>(node), depth + 1, walk);
      break;
    case cJson::Node::eJsonValues: {
      auto* values = static_cast<JsonValues*>(node);
      Require(values->count == 0 && values->items == nullptr);
      Require(std::strcmp(node->GetText(), "cJson::Node::eJsonValues") == 0);
      break;
    }
    case cJson::Node::eJsonNodes: {
      auto* array = static_cast<JsonNodes*>(node);
      Require(array->count > 0);
      for (int32_t i = 0; i < array->count; ++i) {
        Require(array->Element(i) == &array->elements[i] && array->At(i) == array->Element(i));
        Require(array->elements[i].key[0] == 0);
        VisitObject(&array->elements[i], depth + 1, walk);
      }
      Require(array->Element(array->count) == nullptr && array->Element(-1) == nullptr);
      Require(array->Child("Name") == nullptr);
      break;
    }
    default:
      Require(false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The reader takes NUL-terminated text; a NUL inside the input ends it.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* start = text.c_str();
  while (*start == ' ' || *start == '\t' || *start == '\r' || *start == '\n') ++start;

  cJson document;
  const bool parsed = document.Parse(text.c_str());
  Require(parsed == (*start == '{'));
  if (!parsed) {
    Require(document.root == nullptr);
    return 0;
  }
  Require(std::strcmp(document.root->key, "head-node") == 0);
  Walk walk;
  VisitObject(document.root, 1, &walk);
  int braces = 0;
  for (const char* c = text.c_str(); *c; ++c) braces += *c == '{';
  Require(walk.objects <= 2 * braces);

  // The manifest reader's walk, whatever the document holds.
  if (cJson::Node* list = document.Find("FileList")) {
    for (int32_t i = 0; i < 4; ++i) {
      if (cJson::Node* entry = list->Element(i)) {
        if (cJson::Node* name = entry->Child("Name")) Require(name->GetText() != nullptr);
        if (cJson::Node* bytes = entry->Child("Size")) (void)bytes->GetInt64();
      }
    }
  }

  // Emptied, the tree answers nothing; parsed again, it is replaced.
  document.root->Clear();
  for (MemberEntry* entry = document.root->members.newest; entry; entry = entry->older) {
    Require(entry->node == nullptr);
  }
  Require(document.Parse(text.c_str()));
  document.Release();
  Require(document.root == nullptr);
  return 0;
}
