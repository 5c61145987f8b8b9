// Fuzzes the reading of version.txt's text: the folder it gives lies inside
// the text, after its first line feed, and a text as the program writes it
// (version, line feed, folder) gives back the folder exactly.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/version_stamp.h"
#include "tests/fuzz/fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The program reads the file whole and cuts it at its terminator.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* begin = text.c_str();
  const char* folder = StoredDownloadFolder(begin);
  const char* lineFeed = std::strchr(begin, '\n');
  if (!lineFeed || !lineFeed[1]) {
    Require(folder == nullptr);
  } else {
    Require(folder == lineFeed + 1 && *folder != 0);
  }

  // Written from the input's halves: a version never holds a line feed.
  std::string version = text.substr(0, size / 2).c_str();
  for (char& c : version) {
    if (c == '\n') c = ' ';
  }
  const std::string written = text.substr(size / 2).c_str();
  const std::string file = version + '\n' + written;
  const char* read = StoredDownloadFolder(file.c_str());
  Require(written.empty() ? read == nullptr : read && written == read);
  return 0;
}
