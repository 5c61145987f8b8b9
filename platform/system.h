#pragma once
// Process, clock and folder services of the operating system. Paths are
// written the Windows way, with '\' between folders; on Linux these functions
// read '\' as '/' so the same paths name the same folders.

#include <cstddef>
#include <cstdint>

namespace platform {

// Milliseconds since the system started, 32 bits, wrapping after 49.7 days.
uint32_t TickCount();

void SleepMs(uint32_t milliseconds);

// Ends the process at once with `exitCode`: no destructors, no clean-up.
// Windows keeps the whole 32-bit code; Linux reports its low byte.
[[noreturn]] void EndProcess(int exitCode);

bool SetCurrentFolder(const char* path);

// Creates one folder level. False when it could not be made, also when it
// exists already; callers that only need the folder to exist ignore it.
bool CreateFolder(const char* path);

// The user's temporary folder, with its trailing separator.
bool GetTempFolder(char* buffer, size_t capacity);

// Full path of the running program's executable file.
bool GetProgramPath(char* buffer, size_t capacity);

// Bytes free on the volume of `path` for the calling user (quota-aware).
bool GetFreeDiskSpace(const char* path, int64_t* freeBytes);

// The path separator: '\' on Windows, '/' elsewhere.
char PathSeparator();

}  // namespace platform
