#include "json/arrays.h"

#include <new>

JsonValues::JsonValues(const char* key) : Node(eJsonValues, key), count(0), items(nullptr) {
  SetTypeName("cJson::Node::eJsonValues");
}

JsonValues::~JsonValues() { Clear(); }

void JsonValues::Clear() {
  for (int32_t i = 0; i < count; ++i) delete[] items[i];
  delete[] items;
  items = nullptr;
  count = 0;
}

const char* JsonValues::GetText() { return typeName; }

JsonNodes::JsonNodes(const char* key) : Node(eJsonNodes, key), elements(nullptr), count(0) {
  SetTypeName("cJson::Node::eJsonNodes");
}

JsonNodes::~JsonNodes() { Clear(); }

bool JsonNodes::MakeElements(int32_t newCount) {
  Clear();
  if (newCount <= 0) return newCount == 0;
  JsonNode* block = new (std::nothrow) JsonNode[newCount];
  if (!block) return false;
  for (int32_t i = 0; i < newCount; ++i) {
    if (!block[i].members.IsUsable()) {
      delete[] block;
      return false;
    }
  }
  elements = block;
  count = newCount;
  return true;
}

void JsonNodes::Clear() {
  // delete[] destroys the elements from the last to the first.
  delete[] elements;
  elements = nullptr;
  count = 0;
}

const char* JsonNodes::GetText() { return typeName; }

cJson::Node* JsonNodes::Element(int32_t index) {
  if (index < 0 || index >= count) return nullptr;
  return &elements[index];
}

cJson::Node* JsonNodes::At(int32_t index) { return Element(index); }
