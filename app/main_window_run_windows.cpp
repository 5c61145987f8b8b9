#include "app/main_window_run.h"

#include <windows.h>

#include "app/app.h"
#include "app/main_window.h"
#include "json/json.h"

int RunMainWindow(cJson& uxDocument) {
  auto* window = new cWinMain(&uxDocument);
  theApp->mainWindow = window;
  // Provisional geometry: the creation handler replaces it with the
  // background's size and the window's place on the screen. The main window
  // clips its children, which draw themselves over it.
  window->x = 10;
  window->y = 10;
  window->width = 100;
  window->height = 100;
  if (!window->CreateSystemWindow(WS_POPUP | WS_CLIPCHILDREN, window->x, window->y, window->width, window->height)) {
    theApp->mainWindow = nullptr;
    delete window;
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
  delete window;
  return result;
}
