#pragma once
// The C runtime's buffered files with 64-bit positions. Paths use '\' like
// the rest of the program; on Linux it is read as '/'.

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace platform {

FILE* OpenFile(const char* path, const char* mode);
bool SeekFile(FILE* file, int64_t offset, int origin);
int64_t TellFile(FILE* file);
bool RemoveFile(const char* path);
bool RenameFile(const char* from, const char* to);

// Makes the folder `folder` one level at a time, outermost first: the part
// of the path before each `separator` found at or after position `from`,
// then the whole path unless it ends with a separator. `from` keeps levels
// that must not be made out (a drive, a folder known to exist). A level
// that exists already or cannot be made is passed over, and the next one is
// still tried: the caller learns whether the folder is usable by using it.
void CreateFolderLevels(const char* folder, size_t from, char separator);

}  // namespace platform
