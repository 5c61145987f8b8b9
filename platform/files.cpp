#include "platform/files.h"

#include <algorithm>
#include <string>

#include "platform/owned_file.h"
#include "platform/system.h"

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_path.h"
#endif

namespace platform {

#ifdef _WIN32

FILE* OpenFile(const char* path, const char* mode) { return std::fopen(path, mode); }
bool SeekFile(FILE* file, int64_t offset, int origin) { return _fseeki64(file, offset, origin) == 0; }
int64_t TellFile(FILE* file) { return _ftelli64(file); }
bool RemoveFile(const char* path) { return std::remove(path) == 0; }
bool RenameFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool GetFileStamp(const char* path, FileStamp* stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  stamp->size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  stamp->lastWrite = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                          data.ftLastWriteTime.dwLowDateTime);
  return true;
}

bool IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MoveOver(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FlushToDisk(FILE* file) {
  if (std::fflush(file) != 0) return false;
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0;
}

#else

FILE* OpenFile(const char* path, const char* mode) { return std::fopen(PosixPath(path).c_str(), mode); }
bool SeekFile(FILE* file, int64_t offset, int origin) { return fseeko(file, offset, origin) == 0; }
int64_t TellFile(FILE* file) { return ftello(file); }
bool RemoveFile(const char* path) { return std::remove(PosixPath(path).c_str()) == 0; }
bool RenameFile(const char* from, const char* to) {
  return std::rename(PosixPath(from).c_str(), PosixPath(to).c_str()) == 0;
}

bool GetFileStamp(const char* path, FileStamp* stamp) {
  struct stat status;
  if (stat(PosixPath(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  stamp->size = static_cast<int64_t>(status.st_size);
  stamp->lastWrite = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
  return true;
}

bool IsFolder(const char* path) {
  struct stat status;
  return stat(PosixPath(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// rename() replaces the target in one step.
bool MoveOver(const char* from, const char* to) { return RenameFile(from, to); }

bool FlushToDisk(FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

#endif

bool ReadFileUpTo(const char* path, size_t limit, std::string* bytes) {
  OwnedFile file(OpenFile(path, "rb"));
  if (!file) return false;
  char buffer[1 << 16];
  for (size_t read = 0, got; read < limit; read += got) {
    got = std::fread(buffer, 1, std::min(sizeof buffer, limit - read), file.get());
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  return !std::ferror(file.get());
}

void CreateFolderLevels(const char* folder, size_t from, char separator) {
  const std::string path(folder);
  for (size_t at = path.find(separator, from); at != std::string::npos; at = path.find(separator, at + 1)) {
    CreateFolder(path.substr(0, at).c_str());
  }
  if (!path.empty() && path.back() != separator) CreateFolder(path.c_str());
}

}  // namespace platform
