#include "tools/manifest/manifest_text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/manifest/client_folder.h"

namespace manifest_tool {

std::string FormatManifest(int32_t version, const std::string& url, const std::vector<std::string>& mirrors,
                           const std::vector<ClientFile>& files, const std::string& expires) {
  int64_t totalSize = 0;
  for (const ClientFile& file : files) totalSize += file.size;

  std::ostringstream text;
  text << "{\n"
       << "  \"Version\" : " << version << ",\n";
  if (!expires.empty()) text << "  \"Expires\" : \"" << expires << "\",\n";
  text << "  \"TotalCount\" : " << files.size() << ",\n"
       << "  \"TotalSize\" : " << totalSize << ",\n"
       << "  \"URL\" : \"" << url << "\",\n";
  // An array of objects: the reader skips arrays of scalars.
  if (!mirrors.empty()) {
    text << "  \"Mirrors\" : [";
    for (size_t i = 0; i < mirrors.size(); ++i) text << (i ? ", " : " ") << "{ \"URL\" : \"" << mirrors[i] << "\" }";
    text << " ],\n";
  }
  text << "  \"FileList\" : [";
  // The reader takes the list to its first ']', so it stays the last member.
  for (size_t i = 0; i < files.size(); ++i) {
    text << (i ? ",\n" : "\n") << "    { \"Name\" : \"" << files[i].name << "\", \"Size\" : " << files[i].size;
    if (!files[i].sha256.empty()) text << ", \"SHA256\" : \"" << files[i].sha256 << "\"";
    text << " }";
  }
  text << (files.empty() ? "]\n" : "\n  ]\n") << "}\n";
  return text.str();
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::ifstream file(Utf8Path(path), std::ios::binary);
  if (!file) return false;
  std::ostringstream content;
  content << file.rdbuf();
  *text = content.str();
  return !file.bad();
}

bool ReplaceFile(const std::string& path, const std::string& text, std::string* error) {
  namespace fs = std::filesystem;
  const fs::path target = Utf8Path(path);
  const fs::path temporary = Utf8Path(path + ".writing");
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) {
      *error = "cannot create " + (path + ".writing") + ": " + std::strerror(errno);
      return false;
    }
    file << text;
    file.flush();
    if (!file) {
      *error = "cannot write " + (path + ".writing");
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code renameError;
  fs::rename(temporary, target, renameError);
  if (renameError) {
    *error = "cannot replace " + path + ": " + renameError.message();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace manifest_tool
