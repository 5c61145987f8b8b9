#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A death test's child process ends without running destructors, so it
// could not remove its folder. Each folder is therefore named in the
// environment, which child processes inherit, and a child makes its own
// folder inside its parent's: the parent removes both.
constexpr char kEnclosingFolder[] = "DOWNLOADER_TEST_FOLDER";

void SetEnclosingFolder(const std::string& path) {
#ifdef _WIN32
  _putenv_s(kEnclosingFolder, path.c_str());
#else
  if (path.empty()) {
    unsetenv(kEnclosingFolder);
  } else {
    setenv(kEnclosingFolder, path.c_str(), 1);
  }
#endif
}

}  // namespace

cTempFolder::cTempFolder() {
  static std::atomic<int> serial{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code error;
  previous_ = fs::current_path(error).string();
  const char* enclosing = std::getenv(kEnclosingFolder);
  enclosingBefore_ = enclosing ? enclosing : "";
  const fs::path base = enclosing && *enclosing ? fs::path(enclosing) : fs::temp_directory_path();
  for (int attempt = 0;; ++attempt) {
    const fs::path folder = base / ("downloader-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    if (fs::create_directory(folder, error) || attempt > 100) {
      path_ = (folder / "").string();
      break;
    }
  }
  fs::current_path(path_, error);
  SetEnclosingFolder(path_);
}

cTempFolder::~cTempFolder() {
  SetEnclosingFolder(enclosingBefore_);
  std::error_code error;
  fs::current_path(previous_, error);
  fs::remove_all(path_, error);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(file);
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::string PatternBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  uint32_t state = 2463534242u ^ (seed * 2654435761u);
  for (size_t i = 0; i < size; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bytes[i] = static_cast<char>(state >> 24);
  }
  return bytes;
}

bool RewriteFile(const std::string& path, const std::string& content, int shiftSeconds) {
#ifdef _WIN32
  // std::filesystem sets times to the second here: the system's own calls
  // keep the 100 ns steps the program compares.
  FILETIME written;
  HANDLE before = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const bool read = before != INVALID_HANDLE_VALUE && GetFileTime(before, nullptr, nullptr, &written);
  if (before != INVALID_HANDLE_VALUE) CloseHandle(before);
  if (!read || !WriteWholeFile(path, content)) return false;
  ULARGE_INTEGER time{{written.dwLowDateTime, written.dwHighDateTime}};
  time.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(shiftSeconds) * 10000000);
  written = FILETIME{time.LowPart, time.HighPart};
  HANDLE after = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (after == INVALID_HANDLE_VALUE) return false;
  const bool set = SetFileTime(after, nullptr, nullptr, &written) != 0;
  CloseHandle(after);
  return set;
#else
  struct stat status;
  if (stat(path.c_str(), &status) != 0 || !WriteWholeFile(path, content)) return false;
  timespec times[2] = {status.st_atim, status.st_mtim};
  times[1].tv_sec += shiftSeconds;
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
#endif
}
