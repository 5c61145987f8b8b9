#pragma once
// cTempFolder: a fresh folder under the system's temporary folder for one
// test, made the current directory while it lives (the transfer's paths are
// relative to it), then removed with everything in it. Folders made while
// another exists (also in a death test's child process) go inside it.

#include <cstddef>
#include <string>

class cTempFolder {
 public:
  cTempFolder();
  ~cTempFolder();
  cTempFolder(const cTempFolder&) = delete;
  cTempFolder& operator=(const cTempFolder&) = delete;

  // The folder's full path, ending with the platform's separator.
  const std::string& Path() const { return path_; }
  // The full path of `name` inside it.
  std::string PathOf(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
  std::string previous_;
  std::string enclosingBefore_;
};

// Whole-file helpers for tests.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
// Writes `content` over the file at `path` and gives it the last-write time
// it had before, moved by `shiftSeconds` (0: the very same time).
bool RewriteFile(const std::string& path, const std::string& content, int shiftSeconds);
// `size` bytes of a fixed pseudo-random pattern that differs from `seed` to seed.
std::string PatternBytes(size_t size, unsigned seed = 1);
