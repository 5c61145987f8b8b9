#pragma once
// Windows only: a message-only window of the test's thread that counts the
// timer messages with identifier 333 it is sent, as the main window counts
// the download manager's final refresh.

#include <windows.h>

#include <atomic>

class cRefreshWindow {
 public:
  cRefreshWindow();
  ~cRefreshWindow();
  cRefreshWindow(const cRefreshWindow&) = delete;
  cRefreshWindow& operator=(const cRefreshWindow&) = delete;

  HWND Handle() const { return window_; }
  int Refreshes() const { return refreshes_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_;
  std::atomic<int> refreshes_{0};
};
