#pragma once
// Modal message boxes. The flag and answer values are the Win32 ones.

namespace platform {

enum MessageBoxFlags : unsigned {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};

enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2 };

// Shows a modal box owned by `owner` (a window handle, or null) and returns the
// button the user pressed. May be called from any thread; the caller waits.
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned flags);

// Linux has no message boxes: there each one is written to stderr as
// "message box [caption] text" and answered with OK.
//
// A handler, when installed, answers every box instead of the user; unit
// tests use it to see the boxes without anyone to press a button. The program
// never installs one. Handlers run on the thread that shows the box and must
// be thread-safe. Returns the previous handler.
using MessageBoxHandler = int (*)(const char* text, const char* caption, unsigned flags);
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform
