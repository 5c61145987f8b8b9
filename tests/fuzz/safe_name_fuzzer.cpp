// Fuzzes the name-safety rule of manifest entries: a name it lets through,
// resolved under the download folder the way Windows resolves paths (either
// separator; trailing dots and blanks of a component dropped, so "... " is
// ".."), never leaves the folder, and names no drive, stream, root or
// device.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "download/manifest.h"
#include "tests/fuzz/fuzz_require.h"

namespace {

// Whether resolving `name` component by component ever climbs above the
// folder it starts in: a component of two dots or more and blanks climbs,
// one that trims to nothing stays, any other goes down.
// Whether a component is a device Windows opens in any folder: its part
// before the first dot, blanks dropped, is CON, PRN, AUX, NUL or COM/LPT and
// a digit, in any case (the rule itself also knows a few rarer ones).
bool NamesADevice(const std::string& name) {
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/' && name[i] != '\\') continue;
    std::string stem = name.substr(start, i - start);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
        std::isdigit(static_cast<unsigned char>(stem[3]))) {
      return true;
    }
    start = i + 1;
  }
  return false;
}

bool LeavesTheFolder(const std::string& name) {
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/' && name[i] != '\\') continue;
    std::string component = name.substr(start, i - start);
    const bool climbs = component.find_first_not_of(". ") == std::string::npos &&
                        std::count(component.begin(), component.end(), '.') >= 2;
    while (!component.empty() && (component.back() == '.' || component.back() == ' ')) component.pop_back();
    if (climbs) {
      if (--depth < 0) return true;
    } else if (!component.empty()) {
      ++depth;
    }
    start = i + 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  Require(!IsSafeRelativeName(nullptr));
  if (!IsSafeRelativeName(name.c_str())) return 0;
  const std::string seen = name.c_str();  // the rule reads up to the terminator
  Require(!seen.empty());
  Require(seen[0] != '/' && seen[0] != '\\');
  Require(seen.find(':') == std::string::npos);
  Require(!LeavesTheFolder(seen));
  Require(!NamesADevice(seen));
  return 0;
}
