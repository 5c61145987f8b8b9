#include "platform/system.h"

#include <windows.h>

namespace platform {

uint32_t TickCount() { return GetTickCount(); }

void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

void EndProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

bool SetCurrentFolder(const char* path) { return SetCurrentDirectoryA(path) != 0; }

bool CreateFolder(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

bool GetTempFolder(char* buffer, size_t capacity) {
  const DWORD length = GetTempPathA(static_cast<DWORD>(capacity), buffer);
  return length > 0 && length < capacity;
}

bool GetProgramPath(char* buffer, size_t capacity) {
  const DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(capacity));
  // A path cut to the buffer is reported with the full capacity as length.
  return length > 0 && length < capacity;
}

bool GetFreeDiskSpace(const char* path, int64_t* freeBytes) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExA(path, &available, nullptr, nullptr)) return false;
  *freeBytes = static_cast<int64_t>(available.QuadPart);
  return true;
}

char PathSeparator() { return '\\'; }

}  // namespace platform
