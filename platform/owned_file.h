#pragma once
// The owner of a C runtime file: it is closed in one place, the destructor,
// whichever way the code that opened it returns, or CloseChecked.

#include <cstdio>
#include <memory>

namespace platform {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using OwnedFile = std::unique_ptr<FILE, FileCloser>;

// Closes `file` now and says whether the close succeeded: for a file being
// written, whose last buffered bytes reach the disk only at its close, so a
// failed close is a failed write.
inline bool CloseChecked(OwnedFile file) { return file && std::fclose(file.release()) == 0; }

}  // namespace platform
