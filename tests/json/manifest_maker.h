#pragma once
// Download manifests in the form the content server writes ("file.json"),
// for the tests, the fuzz corpus, the benchmark and the memory measurement.

#include <cstdint>
#include <string>

namespace json_test {

// Name and size of entry `index` of a made manifest.
std::string ManifestEntryName(int index);
int64_t ManifestEntrySize(int index);

// A manifest of `entries` files: "Version", "TotalCount", "TotalSize",
// "URL" and "FileList" with one {"Name", "Size"} object per file, one entry
// a line, CRLF line ends. About 100 bytes an entry (20,000 entries make 2 MB).
std::string MakeManifest(int entries, int version = 3);

}  // namespace json_test
