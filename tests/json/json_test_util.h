#pragma once
// Helpers shared by the JSON suites: a canonical text of a whole tree (for
// comparing trees structurally), UTF-16 text for comparisons, and a private
// working folder.

#include <filesystem>
#include <string>

#include "json/json.h"

namespace json_test {

// The tree below `node` as one line: values as "text", objects as
// {key:value,...} in the order their members were added (an empty entry left
// by a failed lookup shows as key:~), object arrays as [{...},...] and scalar
// arrays as [] with their count. Kind and type name are checked on the way:
// a node whose kind and typeName disagree shows as <bad node>.
std::string Dump(cJson::Node* node);
// Dump of the document's root, or "null" when it has none.
std::string Dump(cJson& document);
// Parses `text` into a fresh document and dumps it ("rejected" when Parse
// returns false).
std::string ParseAndDump(const std::string& text);

// Number of object nodes in the tree (the root and array elements counted).
int CountObjects(cJson::Node* node);

std::u16string Utf16(const WideChar* text);

// Writes `bytes` to `path` exactly as given.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder under the temporary folder, made the current folder for the
// life of the object and removed afterwards.
class WorkingFolder {
 public:
  WorkingFolder();
  ~WorkingFolder();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace json_test
