#pragma once
// cJson: one JSON document. It owns the root of a node tree and fills it from
// an embedded resource, a file or a text in memory. Every document is a local
// or member object of the code that reads it; none is shared between threads.

#include <cstddef>

class JsonNode;

class cJson {
 public:
  class Node;

  // Longest path LoadFile accepts (its `sourcePath` buffer holds 128).
  static constexpr size_t kMaxPathLength = 127;

  cJson();
  ~cJson();
  cJson(const cJson&) = delete;
  cJson& operator=(const cJson&) = delete;

  // Loads the JSON text embedded in the program as resource `resourceId`
  // (which document is the skin is the program's business). False when the
  // resource is missing or does not begin with an object, and when it cannot
  // be read whole: `*shortRead` then says which (the program ends on a short
  // read, with its own box and code).
  bool LoadEmbedded(int resourceId, bool* shortRead = nullptr);

  // Empties the current tree (the root stays, without members), then reads
  // the file. False when the path is longer than kMaxPathLength, the file
  // cannot be opened or read, or its text does not begin with an object.
  bool LoadFile(const char* path);

  // Builds a new tree from a NUL-terminated text, replacing the old one.
  // False, and the document unchanged, when the text does not begin (after
  // white space) with '{' or not even the root could be allocated. False
  // with an empty root when memory ran out while reading. Otherwise true:
  // the reader reports no errors, it keeps what it could read (see
  // json/parser.h).
  bool Parse(const char* text);

  // Deletes the whole tree; the document is empty again.
  void Release();

  // root->Find(key), or null when the document holds no tree.
  Node* Find(const char* key);

  JsonNode* root;          // key "head-node"; null until a text was parsed
  char sourcePath[128];    // path of the last file LoadFile opened
};
