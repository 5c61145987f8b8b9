#include "json/parser.h"

#include <cstring>
#include <limits>
#include <new>

#include "json/arrays.h"
#include "json/object.h"
#include "json/value.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

const char* SkipSpace(const char* cursor) {
  while (IsSpace(*cursor)) ++cursor;
  return cursor;
}

// How far past a scalar's start its closing quote is looked for: a scalar
// longer than the reader keeps ends as an unquoted one does, and no text
// makes the search costly.
constexpr size_t kQuoteSearchLength = JsonParser::kMaxScalarLength + 2;

// The ',' or '}' that ends the scalar starting at `value` (or the NUL: the
// text was cut short). A quoted scalar ends at the first of them that follows
// a quote (white space between): a ',' or '}' inside the quotes is text
// ("Hello, World.ogg"), and a text cut before that quote holds no whole
// value. A quote counts as closing whatever precedes it, since the reader
// keeps backslashes as written (the UX documents' "c:\TARVIK\download\"
// ends in one). Unquoted, or with no closing quote within the search, the
// first ',' or '}' ends it.
const char* ScalarEnd(const char* value) {
  const char* first = value;
  while (*first && *first != ',' && *first != '}') ++first;
  if (*value != '"' || *first == 0) return first;
  for (const char* at = first;; ++at) {
    if (*at == 0) return at;
    if (static_cast<size_t>(at - value) > kQuoteSearchLength) return first;
    if (*at != ',' && *at != '}') continue;
    const char* before = at;
    while (before > value + 1 && IsSpace(before[-1])) --before;
    if (before > value + 1 && before[-1] == '"') return at;
  }
}

}  // namespace

JsonParser::JsonParser(const char* text) : end_(text), objectBudget_(0), outOfMemory_(false) {
  for (; *end_; ++end_) {
    if (*end_ == '{') objectBudget_ += 2;
  }
  // The caller made the root object for its own '{'.
  Spend(1);
}

bool JsonParser::Spend(int64_t count) {
  if (count > objectBudget_) return false;
  objectBudget_ -= count;
  return true;
}

const char* JsonParser::FindRootObject(const char* text) {
  if (!text) return nullptr;
  text = SkipSpace(text);
  return *text == '{' ? text : nullptr;
}

void JsonParser::ParseObject(const char*& cursor, JsonNode* object, int depth) {
  if (*cursor == 0) return;
  for (;;) {
    cursor = SkipSpace(cursor);
    if (*cursor == '"') ++cursor;
    Key key;
    if (!ReadKey(cursor, &key)) return;
    cursor = SkipSpace(cursor);

    bool more;
    if (*cursor == '{') {
      ++cursor;
      ReadNestedObject(cursor, object, key, depth);
      // What follows a nested object is read under the same key, which is
      // present by now: the ',' after it reads as an empty scalar that is
      // dropped, and the next member follows; a '}' ends this object too.
      more = *cursor == '[' ? ReadArray(cursor, object, key, depth) : ReadScalar(cursor, object, key);
    } else if (*cursor == '[') {
      more = ReadArray(cursor, object, key, depth);
    } else {
      more = ReadScalar(cursor, object, key);
    }
    if (!more) return;
  }
}

bool JsonParser::ReadKey(const char*& cursor, Key* key) {
  const char* colon = cursor;
  while (*colon && *colon != ':') ++colon;
  if (*colon == 0) {
    StopAt(cursor);
    return false;
  }
  // The character before the colon is the key's closing quote in a well
  // formed member; it is dropped whatever it is.
  const char* keyEnd = colon > cursor ? colon - 1 : cursor;
  while (keyEnd > cursor && (IsSpace(keyEnd[-1]) || keyEnd[-1] == '"')) --keyEnd;
  const size_t length = static_cast<size_t>(keyEnd - cursor);
  key->storable = length <= kMaxKeyLength;
  const size_t copied = key->storable ? length : kMaxKeyLength;
  std::memcpy(key->text, cursor, copied);
  key->text[copied] = 0;
  cursor = colon + 1;
  return true;
}

JsonParser::Adoption JsonParser::Adopt(JsonNode* object, const Key& key, cJson::Node* child, const char*& cursor) {
  if (!key.storable) return kNotAdded;
  switch (object->members.Add(key.text, child)) {
    case MemberTable::AddResult::kAdded:
      return kAdded;
    case MemberTable::AddResult::kOutOfMemory:
      delete child;
      StopOutOfMemory(cursor);
      return kStopped;
    default:
      return kNotAdded;
  }
}

void JsonParser::ReadNestedObject(const char*& cursor, JsonNode* object, const Key& key, int depth) {
  if (depth >= kMaxDepth || !Spend(1)) return StopAt(cursor);
  JsonNode* child = new (std::nothrow) JsonNode(key.text);
  if (!child || !child->key || !child->members.IsUsable()) {
    delete child;
    return StopOutOfMemory(cursor);
  }
  const Adoption adoption = Adopt(object, key, child, cursor);
  if (adoption == kStopped) return;
  ParseObject(cursor, child, depth + 1);
  if (adoption == kNotAdded) delete child;
}

bool JsonParser::ReadArray(const char*& cursor, JsonNode* object, const Key& key, int depth) {
  ++cursor;
  cursor = SkipSpace(cursor);
  if (*cursor == 0) {
    // Cut short right after '[': not even the kind of array is known.
    StopAt(cursor);
    return false;
  }
  if (*cursor == '{') {
    int32_t count = 0;
    if (!CountElements(cursor, &count) || depth >= kMaxDepth || !Spend(count)) {
      StopAt(cursor);
      return false;
    }
    JsonNodes* array = new (std::nothrow) JsonNodes(key.text);
    if (!array || !array->key || !array->MakeElements(count)) {
      delete array;
      StopOutOfMemory(cursor);
      return false;
    }
    const Adoption adoption = Adopt(object, key, array, cursor);
    if (adoption == kStopped) return false;
    ParseObjectArray(cursor, array, depth + 1);
    if (adoption == kNotAdded) delete array;
  } else {
    // Arrays of scalars are not read: an empty node marks the member, and
    // the array's text ends the reading of this object below.
    JsonValues* values = new (std::nothrow) JsonValues(key.text);
    if (!values || !values->key) {
      delete values;
      StopOutOfMemory(cursor);
      return false;
    }
    const Adoption adoption = Adopt(object, key, values, cursor);
    if (adoption == kStopped) return false;
    if (adoption == kNotAdded) delete values;
  }
  cursor = SkipSpace(cursor);
  if (*cursor != ',') return false;
  ++cursor;
  return *cursor != 0;
}

bool JsonParser::ReadScalar(const char*& cursor, JsonNode* object, const Key& key) {
  const char* mark = ScalarEnd(cursor);
  if (*mark == 0) {
    StopAt(cursor);
    return false;
  }
  const char* start = cursor;
  if (*start == '"') ++start;
  const char* stop = mark;
  while (stop > start && (IsSpace(stop[-1]) || stop[-1] == '"')) --stop;
  const size_t length = static_cast<size_t>(stop - start);
  if (length <= kMaxScalarLength) {
    JsonValue* value = new (std::nothrow) JsonValue(key.text, start, length);
    if (!value || !value->key || !value->text) {
      delete value;
      StopOutOfMemory(cursor);
      return false;
    }
    const Adoption adoption = Adopt(object, key, value, cursor);
    if (adoption == kStopped) return false;
    if (adoption == kNotAdded) delete value;
  }
  cursor = mark + 1;
  if (*mark == '}') return false;
  return *cursor != 0;
}

bool JsonParser::CountElements(const char* cursor, int32_t* count) const {
  int64_t braces = 0;
  for (; *cursor != ']'; ++cursor) {
    if (*cursor == 0) return false;
    if (*cursor == '{') ++braces;
    if (*cursor == ':') {
      // A scalar runs to its end as ReadScalar reads it: a '{' or ']' in it
      // (a file name may hold them) is text, not structure.
      const char* value = SkipSpace(cursor + 1);
      if (*value == '{' || *value == '[') continue;
      cursor = ScalarEnd(value) - 1;
    }
  }
  if (braces > std::numeric_limits<int32_t>::max()) return false;
  *count = static_cast<int32_t>(braces);
  return true;
}

void JsonParser::ParseObjectArray(const char*& cursor, JsonNodes* array, int depth) {
  ++cursor;  // the first element's '{'
  for (int32_t i = 0; i < array->count; ++i) {
    cursor = SkipSpace(cursor);
    if (*cursor == ',') {
      cursor = SkipSpace(cursor + 1);
      if (*cursor == '{') ++cursor;
    }
    // Each element's last scalar consumes its '}', so the ',' between two
    // elements is what the next round finds.
    ParseObject(cursor, &array->elements[i], depth);
  }
  while (*cursor && *cursor != ']') ++cursor;
  if (*cursor) ++cursor;
}
