// Windows only, run by hand under Wine: what one paint of the main window
// costs with all its children (background, folder text, five buttons, bar,
// panel), a tick that changes every text with its repaint of the panel and
// the bar, and a whole repaint of each, on the real windows; back to back,
// then paced every 333 ms as the timer paces them.
//
//   scripts/wine-run.sh build/windows/tests/ui/paint_benchmark.exe [PAINTS]
//
// No content server is needed: the window's messages are not pumped, so the
// panel's timer never runs; the paints are forced with RedrawWindow and
// UpdateWindow.
//
// Paced repaints cost far more than back-to-back ones under Wine: after its
// last command Wine's Direct3D command thread (wined3d_cs) spins for tens of
// milliseconds before it sleeps, and a repaint after a rest pays that whole
// spin. WINE_D3D_CONFIG=csmt=0x0 in the environment shows the drawing alone.
//
// Then the pieces of a repaint, each timed on its own on a DC render target
// of the benchmark's own bound to the panel's device context: a paint that
// draws nothing (bind, begin, end), fills, a 1:1 bitmap copy, texts drawn
// from their characters or from layouts made beforehand.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/app.h"
#include "app/folders.h"
#include "app/main_window.h"
#include "json/json.h"
#include "resources/resource_ids.h"
#include "ui/figures.h"
#include "ui/ole_session.h"
#include "ui/window_session.h"

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

// One named piece of a paint, timed on its own.
struct Piece {
  const char* name;
  std::function<void()> run;
};

// CPU milliseconds per run of each piece: the least of five rounds of
// runs / 5 each, the pieces interleaved, so that the machine's other load
// and the first runs' warming up weigh least.
void PrintPieceCosts(const std::vector<Piece>& pieces, int runs) {
  const int rounds = 5;
  const int perRound = runs / rounds > 0 ? runs / rounds : 1;
  std::vector<double> least(pieces.size(), 1e9);
  for (const Piece& piece : pieces) piece.run();  // warm up
  for (int round = 0; round < rounds; ++round) {
    for (size_t p = 0; p < pieces.size(); ++p) {
      const double cpu = CpuSeconds();
      for (int i = 0; i < perRound; ++i) pieces[p].run();
      least[p] = std::min(least[p], (CpuSeconds() - cpu) * 1000 / perRound);
    }
  }
  for (size_t p = 0; p < pieces.size(); ++p) std::printf("  %-52s %.3f\n", pieces[p].name, least[p]);
}

// What the pieces draw with: a DC render target of the benchmark's own bound
// to the panel's device context, and resources of that target (the panel's
// own belong to the panel's target).
struct PieceBench {
  ComPtr<ID2D1Factory> factory;
  ComPtr<ID2D1DCRenderTarget> target;
  HDC dc = nullptr;
  RECT client = {};
  ComPtr<IDWriteFactory> text;
  IDWriteTextFormat* format = nullptr;
  ComPtr<IDWriteTextLayout> layouts[8];
  ComPtr<ID2D1SolidColorBrush> brush;
  ComPtr<ID2D1Bitmap> cached;

  ComPtr<IDWriteTextLayout> MakeLayout(const wchar_t* chars) const {
    ComPtr<IDWriteTextLayout> layout;
    text->CreateTextLayout(chars, static_cast<UINT32>(wcslen(chars)), format, 101, 20, layout.GetAddressOf());
    return layout;
  }
};

// False when Direct2D gives no target; the panel's device context is then
// not taken.
bool PrepareBench(cWinDownloadInfo& panel, PieceBench* bench) {
  D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, bench->factory.GetAddressOf());
  const D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
      D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), 96.0f,
      96.0f);
  if (!bench->factory || FAILED(bench->factory->CreateDCRenderTarget(&properties, bench->target.GetAddressOf()))) {
    return false;
  }
  bench->dc = GetDC(panel.hwnd);
  GetClientRect(panel.hwnd, &bench->client);
  DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                      reinterpret_cast<IUnknown**>(bench->text.GetAddressOf()));
  bench->format = panel.textFormat.Get();
  const wchar_t* texts[8] = {L"Remained :", L"Elapsed :",   L"Transfered :", L"Total Size :",
                             L"00:01:02",   L"00:03:04",    L"12.3 MBytes",  L"30.5 MBytes"};
  for (int i = 0; i < 8; ++i) bench->layouts[i] = bench->MakeLayout(texts[i]);
  bench->target->BindDC(bench->dc, &bench->client);
  bench->target->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 0.8f), bench->brush.GetAddressOf());
  ComPtr<ID2D1BitmapRenderTarget> cache;
  bench->target->CreateCompatibleRenderTarget(D2D1::SizeF(590, 20), cache.GetAddressOf());
  if (cache) {
    cache->BeginDraw();
    cache->Clear(D2D1::ColorF(0.2f, 0.3f, 0.4f));
    cache->EndDraw();
    cache->GetBitmap(bench->cached.GetAddressOf());
  }
  return true;
}

// The pieces of a paint of the panel's size, each a whole paint on `b`.
std::vector<Piece> PaintPieces(PieceBench& b) {
  ID2D1DCRenderTarget* target = b.target.Get();
  const D2D1_RECT_F whole = D2D1::RectF(0, 0, 590, 20);
  auto paint = [&b, target](auto draw) {
    target->BindDC(b.dc, &b.client);
    target->BeginDraw();
    draw();
    target->EndDraw();
  };
  auto copy = [&b, target, whole] {
    if (!b.cached) return;
    target->DrawBitmap(b.cached.Get(), whole, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, whole);
  };
  auto drawLayouts = [&b, target](int first, int last) {
    for (int i = first; i < last; ++i) {
      target->DrawTextLayout(D2D1::Point2F(70.0f * i, 0), b.layouts[i].Get(), b.brush.Get());
    }
  };
  ID2D1SolidColorBrush* brush = b.brush.Get();
  IDWriteTextFormat* format = b.format;
  return {
      {"bind, begin, end, nothing drawn", [=] { paint([] {}); }},
      {"the same with a Clear", [=] { paint([=] { target->Clear(D2D1::ColorF(0.2f, 0.2f, 0.2f)); }); }},
      {"the same with a FillRectangle of it all", [=] { paint([=] { target->FillRectangle(whole, brush); }); }},
      {"the same with a 1:1 bitmap copy", [=] { paint(copy); }},
      {"the same with one DrawText", [=] {
         paint([=] { target->DrawText(L"00:01:02", 8, format, D2D1::RectF(64, 0, 165, 20), brush); });
       }},
      {"the same with eight DrawTexts", [=] {
         paint([=] {
           for (int i = 0; i < 8; ++i) {
             target->DrawText(L"00:01:02", 8, format, D2D1::RectF(70.0f * i, 0, 70.0f * i + 101, 20), brush);
           }
         });
       }},
      {"the same with a layout made and drawn", [=, &b] {
         paint([=, &b] { target->DrawTextLayout(D2D1::Point2F(64, 0), b.MakeLayout(L"00:01:02").Get(), brush); });
       }},
      {"the same with one kept layout drawn", [=] { paint([=] { drawLayouts(4, 5); }); }},
      {"the same with eight kept layouts drawn", [=] { paint([=] { drawLayouts(0, 8); }); }},
      {"the same with a 1:1 copy and four kept layouts", [=] {
         paint([=] {
           copy();
           drawLayouts(4, 8);
         });
       }},
      {"the same with a Clear and eight FillRectangles", [=] {
         paint([=] {
           target->Clear(D2D1::ColorF(0.2f, 0.2f, 0.2f));
           for (int i = 0; i < 8; ++i) target->FillRectangle(D2D1::RectF(70.0f * i, 2, 70.0f * i + 50, 18), brush);
         });
       }},
      {"the same with a 1:1 copy and one kept layout", [=] {
         paint([=] {
           copy();
           drawLayouts(4, 5);
         });
       }},
      {"a layout made and measured, no paint", [&b] {
         DWRITE_TEXT_METRICS metrics;
         b.MakeLayout(L"00:01:02")->GetMetrics(&metrics);
       }},
  };
}

void MeasurePieces(cWinDownloadInfo& panel, int runs) {
  PieceBench bench;
  if (!PrepareBench(panel, &bench)) return;
  std::printf("pieces of a paint of the panel's size, CPU ms each:\n");
  PrintPieceCosts(PaintPieces(bench), runs);
  ReleaseDC(panel.hwnd, bench.dc);
}

// A tick as the timer's: its figures and texts, every one of them changed,
// then its repaint of the panel and the bar.
void Tick(cWinMain& window, int i) {
  cWinDownloadInfo& panel = window.infoPanel;
  cProgressBar& bar = window.progressBar;
  WideChar text[kFigureTextCapacity];
  FormatSizeText(static_cast<int64_t>(i) * 123457, text);
  panel.ShowValue(kReceivedItem, text);
  FormatTimeText(static_cast<uint32_t>(i), text);
  panel.ShowValue(kElapsedItem, text);
  bar.SetSpeed(1.0f + static_cast<float>(i) / 512);
  FormatTimeText(static_cast<uint32_t>(100000 - 3 * i), text);
  panel.ShowValue(kRemainingItem, text);
  bar.SetRate(i % 10000);
  UpdateWindow(panel.hwnd);
  UpdateWindow(bar.hwnd);
}

void RepaintWholly(cWindow& window) {
  window.Invalidate();
  UpdateWindow(window.hwnd);
}

// Back to back: whole paints of the main window, ticks, and whole repaints
// of the panel and of the bar.
void MeasureBackToBack(cWinMain& window, int paints) {
  LARGE_INTEGER start, end;
  double cpu = CpuSeconds();
  QueryPerformanceCounter(&start);
  for (int i = 0; i < paints; ++i) {
    RedrawWindow(window.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  QueryPerformanceCounter(&end);
  std::printf("main window with children: %d paints, %.3f ms wall and %.3f ms CPU per paint\n", paints,
              Seconds(start, end) * 1000 / paints, (CpuSeconds() - cpu) * 1000 / paints);

  cpu = CpuSeconds();
  QueryPerformanceCounter(&start);
  for (int i = 0; i < paints; ++i) Tick(window, i);
  QueryPerformanceCounter(&end);
  std::printf("a tick changing every text, with its repaint: %.3f ms wall and %.3f ms CPU each\n",
              Seconds(start, end) * 1000 / paints, (CpuSeconds() - cpu) * 1000 / paints);

  // Each repainted wholly, alone.
  cpu = CpuSeconds();
  for (int i = 0; i < paints; ++i) RepaintWholly(window.infoPanel);
  std::printf("whole panel repaint alone: %.3f ms CPU each\n", (CpuSeconds() - cpu) * 1000 / paints);
  cpu = CpuSeconds();
  for (int i = 0; i < paints; ++i) RepaintWholly(window.progressBar);
  std::printf("whole bar repaint alone: %.3f ms CPU each\n", (CpuSeconds() - cpu) * 1000 / paints);
}

// Paced as the timer paces them: what a repaint costs after 333 ms of rest,
// beside the rest alone.
void MeasurePaced(cWinMain& window, int paints) {
  auto paced = [&](const char* name, auto repaint) {
    const int ticks = 15;
    const double start = CpuSeconds();
    for (int i = 0; i < ticks; ++i) {
      Sleep(333);  // the panel's timer period
      repaint(i);
    }
    std::printf("paced every 333 ms, %s: %.3f ms CPU each\n", name, (CpuSeconds() - start) * 1000 / ticks);
  };
  paced("nothing", [](int) {});
  paced("a tick changing every text", [&](int i) { Tick(window, paints + i); });
  paced("whole panel repaint", [&](int) { RepaintWholly(window.infoPanel); });
  paced("whole bar repaint", [&](int) { RepaintWholly(window.progressBar); });
  paced("whole panel and bar repaint", [&](int) {
    window.infoPanel.Invalidate();
    window.progressBar.Invalidate();
    UpdateWindow(window.infoPanel.hwnd);
    UpdateWindow(window.progressBar.hwnd);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int paints = argc > 1 ? std::atoi(argv[1]) : 500;
  const cOleSession ole;
  cWindowSession session(GetModuleHandleA(nullptr));
  std::unique_ptr<cApp> app(new cApp{});
  theApp = app.get();
  theApp->instance = GetModuleHandleA(nullptr);
  PrepareFolders(*theApp);
  std::snprintf(theApp->title, sizeof theApp->title, "paint benchmark");
  cJson ux;
  if (!ux.LoadEmbedded(RESOURCE_UX_DOCUMENT)) return 1;
  std::unique_ptr<cWinMain> window(new cWinMain(&ux));
  theApp->mainWindow = window.get();
  if (!window->CreateSystemWindow(WS_POPUP | WS_CLIPCHILDREN, 10, 10, 100, 100)) return 1;
  ShowWindow(window->hwnd, SW_SHOWNORMAL);
  MoveWindow(window->hwnd, window->x, window->y, window->width, window->height, TRUE);
  UpdateWindow(window->hwnd);

  MeasureBackToBack(*window, paints);
  MeasurePaced(*window, paints);
  MeasurePieces(window->infoPanel, paints);

  DestroyWindow(window->hwnd);
  theApp->mainWindow = nullptr;
  window.reset();
  app.reset();
  theApp = nullptr;
  return 0;
}
