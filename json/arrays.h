#pragma once
// The two array nodes. Arrays of objects keep their elements in one block;
// arrays of scalars are never read by the parser and stay empty.

#include <cstdint>

#include "json/node.h"
#include "json/object.h"

class JsonValues : public cJson::Node {
 public:
  explicit JsonValues(const char* key);
  ~JsonValues() override;

  void Clear() override;
  const char* GetText() override;  // "cJson::Node::eJsonValues"

  int32_t count;
  char** items;  // `count` owned texts
};

class JsonNodes : public cJson::Node {
 public:
  explicit JsonNodes(const char* key);
  ~JsonNodes() override;

  // Replaces the elements with `count` empty objects made in one block.
  // False, with no elements left, when memory ran out.
  bool MakeElements(int32_t count);

  void Clear() override;
  const char* GetText() override;  // "cJson::Node::eJsonNodes"
  // The element at `index` (from 0); null outside 0 to count - 1.
  Node* Element(int32_t index) override;
  Node* At(int32_t index) override;  // same as Element

  JsonNode* elements;
  int32_t count;
};
