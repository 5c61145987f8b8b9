#include "tests/support/refresh_window.h"

namespace {

const char kClassName[] = "test-refresh-window";

}  // namespace

cRefreshWindow::cRefreshWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);  // fails harmlessly when a previous window registered it
  window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, this);
}

cRefreshWindow::~cRefreshWindow() {
  if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK cRefreshWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<cRefreshWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message == WM_TIMER && wParam == 333) {
    ++self->refreshes_;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
