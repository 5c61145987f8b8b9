#pragma once
// The files of a client folder, as a manifest lists them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace manifest_tool {

struct ClientFile {
  std::string name;    // relative to the folder, '/' between folders
  int64_t size;
  std::string sha256;  // the bytes' SHA-256 in hexadecimal, once hashed
};

struct ClientFolder {
  std::vector<ClientFile> files;   // in byte order of their names: a stable order
  std::vector<std::string> errors; // what could not be read, one line each
};

// The path of a UTF-8 name. A plain std::string would be read in the C
// locale's code page on Windows (byte by byte), not as UTF-8.
inline std::filesystem::path Utf8Path(const std::string& name) { return std::filesystem::u8path(name); }

// Walks `folder` (following links to files and folders) and lists every
// regular file in it, except `skip` (a path inside it that is not part of
// the client, such as the manifest being written).
ClientFolder ReadClientFolder(const std::string& folder, const std::string& skip = "");

// Reads the file `name` of `folder` once and gives its SHA-256. False, with
// `error` set, when it cannot be read whole.
bool HashClientFile(const std::string& folder, const std::string& name, std::string* sha256, std::string* error);

}  // namespace manifest_tool
