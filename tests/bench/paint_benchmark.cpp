// Windows only, run by hand under Wine: what one paint of the main window
// costs with all its children (background, folder text, five buttons, bar,
// panel), and one panel tick with its repaint, on the real windows.
//
//   scripts/wine-run.sh build/windows/tests/ui/paint_benchmark.exe [PAINTS]
//
// No content server is needed: the window's messages are not pumped, so the
// panel's timer never runs; the paints are forced with RedrawWindow.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "app/folders.h"
#include "app/main_window.h"
#include "json/json.h"

namespace {

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

}  // namespace

int main(int argc, char** argv) {
  const int paints = argc > 1 ? std::atoi(argv[1]) : 500;
  theApp = new cApp{};
  theApp->instance = GetModuleHandleA(nullptr);
  PrepareFolders(*theApp);
  std::snprintf(theApp->title, sizeof theApp->title, "paint benchmark");
  cJson ux;
  if (!ux.LoadEmbedded()) return 1;
  auto* window = new cWinMain(&ux);
  theApp->mainWindow = window;
  if (!window->CreateSystemWindow(WS_POPUP | WS_CLIPCHILDREN, 10, 10, 100, 100)) return 1;
  ShowWindow(window->hwnd, SW_SHOWNORMAL);
  MoveWindow(window->hwnd, window->x, window->y, window->width, window->height, TRUE);
  UpdateWindow(window->hwnd);

  LARGE_INTEGER start, end;
  double cpu = CpuSeconds();
  QueryPerformanceCounter(&start);
  for (int i = 0; i < paints; ++i) {
    RedrawWindow(window->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  QueryPerformanceCounter(&end);
  std::printf("main window with children: %d paints, %.3f ms wall and %.3f ms CPU per paint\n", paints,
              Seconds(start, end) * 1000 / paints, (CpuSeconds() - cpu) * 1000 / paints);

  // A tick's figures and texts, then its repaint of the panel and the bar.
  cpu = CpuSeconds();
  QueryPerformanceCounter(&start);
  for (int i = 0; i < paints; ++i) {
    window->progressBar.SetRate(i % 10000);
    window->progressBar.SetSpeed(static_cast<float>(i));
    window->infoPanel.Invalidate();
    UpdateWindow(window->infoPanel.hwnd);
    UpdateWindow(window->progressBar.hwnd);
  }
  QueryPerformanceCounter(&end);
  std::printf("panel and bar repaint of a tick: %.3f ms wall and %.3f ms CPU each\n",
              Seconds(start, end) * 1000 / paints, (CpuSeconds() - cpu) * 1000 / paints);

  DestroyWindow(window->hwnd);
  theApp->mainWindow = nullptr;
  delete window;
  delete theApp;
  return 0;
}
