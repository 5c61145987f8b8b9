#pragma once
// Windows only, inside the network seam: the owner of one HINTERNET. It is
// closed once, by Close() or at the latest by the destructor. The handle is
// atomic because the calls on a request read it without the session's lock
// while the session may close it from another thread: a call that finds it
// closed (null) fails as a call on a closed handle does.

#include <windows.h>
#include <wininet.h>

#include <atomic>

namespace platform {

class OwnedInternet {
 public:
  OwnedInternet() = default;
  ~OwnedInternet() { Close(); }
  OwnedInternet(const OwnedInternet&) = delete;
  OwnedInternet& operator=(const OwnedInternet&) = delete;

  HINTERNET Get() const { return handle_.load(); }
  explicit operator bool() const { return Get() != nullptr; }
  // Takes `handle`, closing the one held before.
  void Reset(HINTERNET handle) {
    Close();
    handle_ = handle;
  }
  // Whether InternetCloseHandle closed the handle; false when there was none.
  bool Close() {
    HINTERNET handle = handle_.exchange(nullptr);
    return handle && InternetCloseHandle(handle) != FALSE;
  }

 private:
  std::atomic<HINTERNET> handle_{nullptr};
};

}  // namespace platform
