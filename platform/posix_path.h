#pragma once
// Linux only: the program writes paths the Windows way; here '\' becomes '/'.

#include <string>

namespace platform {

inline std::string PosixPath(const char* path) {
  std::string converted(path);
  for (char& c : converted) {
    if (c == '\\') c = '/';
  }
  return converted;
}

}  // namespace platform
