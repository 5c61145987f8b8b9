#pragma once
// JsonNode: an object. Its members live in its own MemberTable.

#include "json/member_table.h"
#include "json/node.h"

class JsonNode : public cJson::Node {
 public:
  // The elements of an object array are made without a key.
  JsonNode();
  explicit JsonNode(const char* key);
  ~JsonNode() override;  // members released newest first (see MemberTable)

  // Deletes every member; the entries stay, so looking them up again finds
  // nothing and adds nothing.
  void Clear() override;
  const char* GetText() override;  // "cJson::Node::eJsonNode"
  // Member lookup. A missing key returns null and leaves an empty entry for
  // it; a key longer than 127 characters is never found and leaves nothing.
  Node* Child(const char* key) override;
  Node* Find(const char* key) override;  // same as Child

  MemberTable members;
};
