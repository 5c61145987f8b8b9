#include "platform/system.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix_path.h"

namespace platform {

uint32_t TickCount() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t milliseconds) {
  timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&delay, &delay) != 0) {
  }
}

void EndProcess(int exitCode) {
  std::fflush(nullptr);
  _exit(exitCode);
}

bool SetCurrentFolder(const char* path) { return chdir(PosixPath(path).c_str()) == 0; }

bool CreateFolder(const char* path) { return mkdir(PosixPath(path).c_str(), 0777) == 0; }

bool GetTempFolder(char* buffer, size_t capacity) {
  const char* temp = std::getenv("TMPDIR");
  std::string folder = temp && *temp ? temp : "/tmp";
  if (folder.back() != '/') folder += '/';
  if (folder.size() + 1 > capacity) return false;
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return true;
}

bool GetProgramPath(char* buffer, size_t capacity) {
  const ssize_t length = readlink("/proc/self/exe", buffer, capacity);
  if (length <= 0 || static_cast<size_t>(length) >= capacity) return false;
  buffer[length] = 0;
  return true;
}

bool GetFreeDiskSpace(const char* path, int64_t* freeBytes) {
  struct statvfs volume;
  if (statvfs(PosixPath(path).c_str(), &volume) != 0) return false;
  *freeBytes = static_cast<int64_t>(volume.f_bavail) * static_cast<int64_t>(volume.f_frsize);
  return true;
}

char PathSeparator() { return '/'; }

}  // namespace platform
