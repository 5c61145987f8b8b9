#pragma once
// The permissive one-pass JSON reader behind cJson::Parse.
//
// It reads the form the program's own documents are written in: one root
// object of members "key": value, where a value is an object, an array of
// flat objects, or a scalar kept as the raw text up to the next ',' or '}',
// or for a quoted scalar up to the first ',' or '}' after a quote, so that a
// quoted one may hold them (no escapes, so Windows paths with single
// backslashes read as written).
// It detects no errors; text outside that form yields whatever the steps
// below make of it, and the quirks are part of the form:
//   - a key loses the character just before its ':' (its closing quote);
//   - a scalar ends at the first ',' or '}'; a quoted one at the first that
//     follows a quote (white space between), looked for within its first
//     1,025 characters, else at the first; a text that ends before such a
//     quote is cut short inside the scalar;
//   - an array of objects gets as many elements as there are '{' before the
//     first ']', neither counted inside a scalar (up to its ',' or '}');
//   - an array of anything else becomes an empty JsonValues and ends the
//     reading of the object that holds it;
//   - of several equal keys the first wins;
//   - whatever follows the root object is ignored.
//
// Whatever the input, the reader never reads past the terminating NUL and
// keeps no fixed-size buffers it could overrun. Its own limits:
//   - Text cut short (the text ends before a key's ':', a scalar's ',' or '}',
//     or an object array's ']'): the member being read is dropped and the
//     reading ends; every member completed before it is kept, so objects that
//     were open at the cut keep their complete members.
//   - A key longer than 127 characters, or a scalar longer than 1023, is read
//     to its end but not kept, like a second member of an existing key.
//     Truncating them could make two keys equal or turn a name or URL into a
//     different, wrong one; a missing member is an error every reader handles.
//   - Objects nest at most kMaxDepth levels, the root and array elements
//     counted: an object deeper than that ends the reading there, so neither
//     parsing nor releasing the tree (both recursive) can exhaust the stack.
//   - One parse makes at most twice as many object nodes as the text has
//     '{': each brace may be counted once as an element of an object array
//     and once as an object of its own. In the documents' form every object
//     has its own '{' and this never bites; it stops arrays nested in array
//     elements, which count the same braces again at every level, from
//     making a huge number of elements, each with its own 999 chain heads.
//     Reaching it ends the reading.
//   - When memory runs out, the reading ends and ranOutOfMemory() says so;
//     the document then throws the partial tree away and reports failure,
//     since a manifest missing entries must not pass for a whole one.

#include <cstddef>
#include <cstdint>

#include "json/node.h"

class JsonNode;
class JsonNodes;

class JsonParser {
 public:
  static constexpr int kMaxDepth = 64;
  static constexpr size_t kMaxKeyLength = 127;
  static constexpr size_t kMaxScalarLength = 1023;

  // `text` is the whole NUL-terminated text; cursors point into it.
  explicit JsonParser(const char* text);

  // The position of the root object's '{' after leading white space, or
  // null when the text does not begin with an object.
  static const char* FindRootObject(const char* text);

  // Reads members into `object`; the cursor stands just after its '{' and is
  // left where the reading stopped. `depth` is the object's nesting level,
  // 1 for the root.
  void ParseObject(const char*& cursor, JsonNode* object, int depth);

  // Reads the elements of `array` (already made, one per '{' counted); the
  // cursor stands at the first element's '{' and is left past the ']'.
  void ParseObjectArray(const char*& cursor, JsonNodes* array, int depth);

  // True when a node could not be allocated; the tree is then incomplete.
  bool ranOutOfMemory() const { return outOfMemory_; }

 private:
  struct Key {
    char text[kMaxKeyLength + 1];
    bool storable;  // within kMaxKeyLength, so it can be added
  };

  enum Adoption { kAdded, kNotAdded, kStopped };

  // Adds `child` to `object` unless the key is present already or too long
  // (kNotAdded: the caller reads the child to its end, then deletes it).
  // kStopped: memory ran out, `child` is deleted and the reading ends.
  Adoption Adopt(JsonNode* object, const Key& key, cJson::Node* child, const char*& cursor);
  bool ReadKey(const char*& cursor, Key* key);
  void ReadNestedObject(const char*& cursor, JsonNode* object, const Key& key, int depth);
  bool ReadArray(const char*& cursor, JsonNode* object, const Key& key, int depth);
  bool ReadScalar(const char*& cursor, JsonNode* object, const Key& key);
  // Counts the '{' from the cursor up to the first ']', outside scalars;
  // false when the text ends first.
  bool CountElements(const char* cursor, int32_t* count) const;
  // Takes `count` object nodes from the budget; false when it has fewer.
  bool Spend(int64_t count);
  // Ends the reading: every caller returns once the cursor is at the end.
  void StopAt(const char*& cursor) const { cursor = end_; }
  void StopOutOfMemory(const char*& cursor) {
    outOfMemory_ = true;
    StopAt(cursor);
  }

  const char* end_;        // the terminating NUL
  int64_t objectBudget_;   // object nodes this parse may still make
  bool outOfMemory_;
};
