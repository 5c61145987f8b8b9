#include "app/main_window_run.h"

#include <windows.h>

#include <memory>

#include "app/app.h"
#include "app/main_window.h"
#include "json/json.h"
#include "ui/window_session.h"

int RunMainWindow(cJson& uxDocument) {
  // The window class and the drawing factories, for as long as windows live.
  cWindowSession session(static_cast<HINSTANCE>(theApp->instance));
  std::unique_ptr<cWinMain> window(new cWinMain(&uxDocument));
  theApp->mainWindow = window.get();
  // Provisional geometry: the creation handler replaces it with the
  // background's size and the window's place on the screen. The main window
  // clips its children, which draw themselves over it.
  window->x = 10;
  window->y = 10;
  window->width = 100;
  window->height = 100;
  if (!window->CreateSystemWindow(WS_POPUP | WS_CLIPCHILDREN, window->x, window->y, window->width, window->height)) {
    theApp->mainWindow = nullptr;
    return 0;
  }
  HWND hwnd = window->hwnd;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MoveWindow(hwnd, window->x, window->y, window->width, window->height, TRUE);

  int result = 0;
  if (cJson::Node* title = uxDocument.Find("window-title")) {
    SetWindowTextA(hwnd, title->GetText());
    MSG message;
    int got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (got == 0) result = static_cast<int>(message.wParam);
  } else if (window->hwnd) {
    // No loop to run: the window goes with its object.
    DestroyWindow(window->hwnd);
  }
  theApp->mainWindow = nullptr;
  return result;
}
