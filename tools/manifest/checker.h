#pragma once
// The `check` command: every problem the downloader would meet with a
// manifest, read with the downloader's own JSON reader.

#include <string>
#include <vector>

namespace manifest_tool {

struct CheckReport {
  std::vector<std::string> problems;  // each makes the check fail
  std::vector<std::string> notes;     // what the downloader will do, for the operator
};

// Checks the manifest at `manifestPath`; with a `folder`, also compares it
// with the client folder (missing files, other sizes, files not listed).
CheckReport CheckManifest(const std::string& manifestPath, const std::string& folder);

}  // namespace manifest_tool
