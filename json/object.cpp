#include "json/object.h"

JsonNode::JsonNode() : JsonNode("") {}

JsonNode::JsonNode(const char* key) : Node(eJsonNode, key) { SetTypeName("cJson::Node::eJsonNode"); }

JsonNode::~JsonNode() = default;

void JsonNode::Clear() { members.ReleaseMembers(); }

const char* JsonNode::GetText() { return typeName; }

cJson::Node* JsonNode::Child(const char* key) {
  MemberEntry* entry = members.Lookup(key);
  return entry ? entry->node : nullptr;
}

cJson::Node* JsonNode::Find(const char* key) { return Child(key); }
