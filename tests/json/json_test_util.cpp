#include "json_test_util.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>

namespace json_test {
namespace {

bool HasConsistentType(cJson::Node* node) {
  const char* expected = "cJson::Node";
  switch (node->kind) {
    case cJson::Node::eJsonValue: expected = "cJson::Node"; break;
    case cJson::Node::eJsonNode: expected = "cJson::Node::eJsonNode"; break;
    case cJson::Node::eJsonValues: expected = "cJson::Node::eJsonValues"; break;
    case cJson::Node::eJsonNodes: expected = "cJson::Node::eJsonNodes"; break;
    default: return false;
  }
  return std::strcmp(node->typeName, expected) == 0;
}

void DumpObject(JsonNode* object, std::string* out);

void DumpNode(cJson::Node* node, std::string* out) {
  if (!node) {
    *out += "~";
    return;
  }
  if (!HasConsistentType(node)) {
    *out += "<bad node>";
    return;
  }
  switch (node->kind) {
    case cJson::Node::eJsonValue: {
      const char* text = node->GetText();
      *out += text ? "\"" + std::string(text) + "\"" : std::string("null");
      break;
    }
    case cJson::Node::eJsonNode:
      DumpObject(static_cast<JsonNode*>(node), out);
      break;
    case cJson::Node::eJsonValues: {
      auto* values = static_cast<JsonValues*>(node);
      *out += "[]";
      if (values->count) *out += std::to_string(values->count);
      break;
    }
    case cJson::Node::eJsonNodes: {
      auto* array = static_cast<JsonNodes*>(node);
      *out += "[";
      for (int32_t i = 0; i < array->count; ++i) {
        if (i) *out += ",";
        if (array->elements[i].key[0]) *out += "<keyed element>";
        DumpObject(&array->elements[i], out);
      }
      *out += "]";
      break;
    }
  }
}

void DumpObject(JsonNode* object, std::string* out) {
  std::vector<MemberEntry*> entries;
  for (MemberEntry* entry = object->members.newest; entry; entry = entry->older) entries.push_back(entry);
  *out += "{";
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it != entries.rbegin()) *out += ",";
    *out += (*it)->key;
    *out += ":";
    // A member's own key must be the one it is filed under.
    if ((*it)->node && std::strcmp((*it)->node->key, (*it)->key) != 0) *out += "<key mismatch>";
    DumpNode((*it)->node, out);
  }
  *out += "}";
}

}  // namespace

std::string Dump(cJson::Node* node) {
  std::string out;
  DumpNode(node, &out);
  return out;
}

std::string Dump(cJson& document) { return document.root ? Dump(document.root) : "null"; }

std::string ParseAndDump(const std::string& text) {
  cJson document;
  if (!document.Parse(text.c_str())) return "rejected";
  return Dump(document);
}

int CountObjects(cJson::Node* node) {
  if (!node) return 0;
  if (node->kind == cJson::Node::eJsonNodes) {
    auto* array = static_cast<JsonNodes*>(node);
    int count = 0;
    for (int32_t i = 0; i < array->count; ++i) count += CountObjects(&array->elements[i]);
    return count;
  }
  if (node->kind != cJson::Node::eJsonNode) return 0;
  int count = 1;
  for (MemberEntry* entry = static_cast<JsonNode*>(node)->members.newest; entry; entry = entry->older) {
    count += CountObjects(entry->node);
  }
  return count;
}

std::u16string Utf16(const WideChar* text) {
  std::u16string converted;
  for (; text && *text; ++text) converted += static_cast<char16_t>(*text);
  return converted;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

WorkingFolder::WorkingFolder() : previous_(std::filesystem::current_path()) {
  // Unique across processes that run at the same time and within one.
  static int made = 0;
  std::random_device entropy;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("json-test-" + std::to_string(entropy()) + "-" + std::to_string(now) + "-" + std::to_string(++made));
  std::filesystem::create_directories(path_);
  std::filesystem::current_path(path_);
}

WorkingFolder::~WorkingFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace json_test
