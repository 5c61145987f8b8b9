#pragma once
// The C runtime's buffered files with 64-bit positions. Paths use '\' like
// the rest of the program; on Linux it is read as '/'.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

FILE* OpenFile(const char* path, const char* mode);
bool SeekFile(FILE* file, int64_t offset, int origin);
int64_t TellFile(FILE* file);
bool RemoveFile(const char* path);
bool RenameFile(const char* from, const char* to);

// A regular file's size and last-write time, from one query of the system
// (no file is opened). The time is the system's own count, 100 ns steps on
// Windows and nanoseconds on Linux: compare it, never read it as a date.
struct FileStamp {
  int64_t size;
  int64_t lastWrite;
};
// False when `path` names no regular file.
bool GetFileStamp(const char* path, FileStamp* stamp);

// Whether `path` names a folder (one query of the system).
bool IsFolder(const char* path);

// Puts `from` in the place of `to` in one step, whether `to` exists or not: a
// reader finds the old file or the new one, never neither and never a mix.
bool MoveOver(const char* from, const char* to);

// Writes out the stream's buffers and has the system put them on the disk,
// not only in its cache: what follows may then rely on them surviving a
// power cut. About 2 ms a call here, so it is for the few files that vouch
// for others, not for every file.
bool FlushToDisk(FILE* file);

// Appends the first `limit` bytes of the file at `path` (all of them when it
// is shorter) to `bytes`; false when it cannot be opened or a read fails.
bool ReadFileUpTo(const char* path, size_t limit, std::string* bytes);

// Makes the folder `folder` one level at a time, outermost first: the part
// of the path before each `separator` found at or after position `from`,
// then the whole path unless it ends with a separator. `from` keeps levels
// that must not be made out (a drive, a folder known to exist). A level
// that exists already or cannot be made is passed over, and the next one is
// still tried: the caller learns whether the folder is usable by using it.
void CreateFolderLevels(const char* folder, size_t from, char separator);

}  // namespace platform
