#pragma once
// The C runtime's buffered files with 64-bit positions. Paths use '\' like
// the rest of the program; on Linux it is read as '/'.

#include <cstdint>
#include <cstdio>

namespace platform {

FILE* OpenFile(const char* path, const char* mode);
bool SeekFile(FILE* file, int64_t offset, int origin);
int64_t TellFile(FILE* file);
bool RemoveFile(const char* path);
bool RenameFile(const char* from, const char* to);

}  // namespace platform
