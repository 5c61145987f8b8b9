#pragma once
// Reading and writing manifest files as text.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/manifest/client_folder.h"

namespace manifest_tool {

// A manifest in the form the downloader reads: one object, "FileList" last,
// every value quoted or bare as the reader expects, nothing it would trim.
// An "Expires" is written when `expires` is not empty.
std::string FormatManifest(int32_t version, const std::string& url, const std::vector<std::string>& mirrors,
                           const std::vector<ClientFile>& files, const std::string& expires);

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* text);

// Writes `text` to a temporary file beside `path`, then moves it into place,
// so a reader never sees half a manifest. False with `error` set on failure.
bool ReplaceFile(const std::string& path, const std::string& text, std::string* error);

}  // namespace manifest_tool
