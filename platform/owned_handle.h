#pragma once
// Windows only: the owner of a kernel handle (mutex, thread, file...). It
// closes the handle in one place, its destructor. Win32 reports "no handle"
// as NULL from some calls and INVALID_HANDLE_VALUE from others; both are
// empty here. COM objects are owned by Microsoft::WRL::ComPtr instead.

#include <windows.h>

namespace platform {

class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  void Reset() {
    if (*this) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace platform
