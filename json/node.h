#pragma once
// cJson::Node: the interface every node of a JSON tree shares. A caller walks
// a tree by chains of lookups by key (Find, Child) or index (Element, At) and
// tests each step for null; absence is the only error there is. Scalars keep
// their text and convert it on each request.
//
// Nodes are made with new by the parser and deleted through the virtual
// destructor; they are never copied. Even reading changes a node (a failed
// lookup leaves an empty entry, GetWideText fills a cache), so one tree is
// used by one thread at a time.

#include <cstdint>

#include "json/document.h"
#include "platform/wide_text.h"

class cJson::Node {
 public:
  enum Kind : int32_t { eJsonValue = 0, eJsonNode = 1, eJsonValues = 2, eJsonNodes = 3 };

  // Keys are kept to kKeyCapacity - 1 characters.
  static constexpr int kKeyCapacity = 256;

  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  // The virtual operations, in this order. The base answers "nothing here":
  // its own type name, null texts and nodes, and 0 from every conversion.
  virtual ~Node();
  virtual void Clear();
  virtual const char* GetText();
  virtual const WideChar* GetWideText();
  virtual int32_t GetInt();
  virtual int64_t GetInt64();
  virtual int32_t GetHex();
  virtual int64_t GetHex64();
  virtual Node* Child(const char* key);
  virtual Node* Element(int32_t index);
  virtual Node* Find(const char* key);
  virtual Node* At(int32_t index);

  int32_t kind;
  // "cJson::Node", or the container's own name: a text of the program's.
  const char* typeName;
  // The member name in the parent, "" for array elements; its own copy, or
  // null when memory ran out for it (the parser then reports that). Kept as
  // pointers, not buffers: a manifest of 100,000 files has 400,000 nodes,
  // and 320 bytes of buffers each were 128 MB of the 32-bit program's memory.
  const char* key;

 protected:
  // Copies at most kKeyCapacity - 1 characters of `key` (null counts as "").
  Node(Kind kind, const char* key);
  // `name` is a text of the program's, which outlives the node.
  void SetTypeName(const char* name) { typeName = name; }
};
