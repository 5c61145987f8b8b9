#include "platform/files.h"

#include <string>

#include "platform/system.h"

#ifndef _WIN32
#include "platform/posix_path.h"
#endif

namespace platform {

#ifdef _WIN32

FILE* OpenFile(const char* path, const char* mode) { return std::fopen(path, mode); }
bool SeekFile(FILE* file, int64_t offset, int origin) { return _fseeki64(file, offset, origin) == 0; }
int64_t TellFile(FILE* file) { return _ftelli64(file); }
bool RemoveFile(const char* path) { return std::remove(path) == 0; }
bool RenameFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

#else

FILE* OpenFile(const char* path, const char* mode) { return std::fopen(PosixPath(path).c_str(), mode); }
bool SeekFile(FILE* file, int64_t offset, int origin) { return fseeko(file, offset, origin) == 0; }
int64_t TellFile(FILE* file) { return ftello(file); }
bool RemoveFile(const char* path) { return std::remove(PosixPath(path).c_str()) == 0; }
bool RenameFile(const char* from, const char* to) {
  return std::rename(PosixPath(from).c_str(), PosixPath(to).c_str()) == 0;
}

#endif

void CreateFolderLevels(const char* folder, size_t from, char separator) {
  const std::string path(folder);
  for (size_t at = path.find(separator, from); at != std::string::npos; at = path.find(separator, at + 1)) {
    CreateFolder(path.substr(0, at).c_str());
  }
  if (!path.empty() && path.back() != separator) CreateFolder(path.c_str());
}

}  // namespace platform
