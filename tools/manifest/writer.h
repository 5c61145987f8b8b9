#pragma once
// The `write` command: a manifest for a client folder.

#include <cstdint>
#include <string>
#include <vector>

namespace manifest_tool {

struct WriteRequest {
  std::string folder;  // the client folder
  std::string url;     // the base URL of its files on the server, ending in '/'
  std::string output;  // the manifest file to write
  bool hasVersion;     // false: the version stored in `output`, plus 1 (1 without one)
  int32_t version;
  std::string expires;  // "Expires", a UTC time like "2027-03-01T00:00:00Z"; "" for none
  // "Mirrors": other servers' base URLs of the same files, tried in turn
  // when a file's server fails it.
  std::vector<std::string> mirrors = {};
};

struct WriteOutcome {
  bool written;
  // Why nothing was written: every offending file, one line each.
  std::vector<std::string> refusals;
  int32_t version;
  int32_t fileCount;
  int64_t totalSize;
};

// Writes the manifest, or nothing at all when anything is refused.
WriteOutcome WriteManifest(const WriteRequest& request);

}  // namespace manifest_tool
