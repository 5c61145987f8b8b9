#pragma once
// The network seam: the few WinINet calls an HTTP transfer makes. Windows
// uses WinINet itself; Linux has a small HTTP/1.1 client of our own with the
// same behaviour, so the same transfer code runs and is tested on both.

#include <cstdint>

namespace net {

// A WinINet HINTERNET on Windows; our own session or request record elsewhere.
using Handle = void*;

// Closes a session or request handle (InternetCloseHandle). Closing a session
// from another thread breaks off a call that is blocked on one of its
// requests: the call fails and returns.
bool Close(Handle handle);

}  // namespace net
