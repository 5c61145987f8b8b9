#include "tools/manifest/client_folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/sha256.h"

namespace manifest_tool {

namespace fs = std::filesystem;

ClientFolder ReadClientFolder(const std::string& folder, const std::string& skip) {
  ClientFolder client;
  std::error_code error;
  const fs::path base = Utf8Path(folder);
  if (!fs::is_directory(base, error)) {
    client.errors.push_back(folder + ": not a folder");
    return client;
  }
  std::error_code ignored;
  const fs::path skipped = skip.empty() ? fs::path() : fs::weakly_canonical(Utf8Path(skip), ignored);

  fs::recursive_directory_iterator walk(base, fs::directory_options::follow_directory_symlink, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    const fs::directory_entry& entry = *walk;
    std::error_code statusError;
    if (entry.is_directory(statusError)) continue;
    const fs::path relative = entry.path().lexically_relative(base);
    const std::string name = relative.generic_u8string();
    if (!entry.is_regular_file(statusError)) {
      client.errors.push_back(name + ": not a regular file");
      continue;
    }
    // Resolving a path costs several system calls: only for a namesake.
    if (!skipped.empty() && entry.path().filename() == skipped.filename() &&
        fs::weakly_canonical(entry.path(), ignored) == skipped) {
      continue;
    }
    const uintmax_t size = entry.file_size(statusError);
    if (statusError) {
      client.errors.push_back(name + ": " + statusError.message());
      continue;
    }
    client.files.push_back({name, static_cast<int64_t>(size), ""});
  }
  if (error) client.errors.push_back(folder + ": " + error.message());

  std::sort(client.files.begin(), client.files.end(),
            [](const ClientFile& a, const ClientFile& b) { return a.name < b.name; });
  return client;
}

bool HashClientFile(const std::string& folder, const std::string& name, std::string* sha256, std::string* error) {
  platform::Sha256Text text;
  const std::string path = (Utf8Path(folder) / Utf8Path(name)).u8string();
  if (!platform::HashFile(path.c_str(), -1, text)) {
    *error = name + ": cannot be read to hash it";
    return false;
  }
  *sha256 = text;
  return true;
}

}  // namespace manifest_tool
