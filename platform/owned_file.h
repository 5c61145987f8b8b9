#pragma once
// The owner of a C runtime file: it is closed in one place, the destructor,
// whichever way the code that opened it returns.

#include <cstdio>
#include <memory>

namespace platform {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using OwnedFile = std::unique_ptr<FILE, FileCloser>;

}  // namespace platform
