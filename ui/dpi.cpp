#include "ui/dpi.h"

#include "ui/scale.h"

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);

// Windows 10 1607 and later; found at run time, since older systems, which
// the program also runs on, do not export it.
GetDpiForWindowCall FindGetDpiForWindow() {
  FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
  return reinterpret_cast<GetDpiForWindowCall>(reinterpret_cast<void*>(found));
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return kSkinDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kSkinDpi;
}

}  // namespace

int WindowDpi(HWND window) {
  static const GetDpiForWindowCall getDpiForWindow = FindGetDpiForWindow();
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return SystemDpi();
}
