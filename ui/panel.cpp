#include "ui/panel.h"

#include "app/app.h"
#include "app/main_window.h"
#include "download/manager.h"
#include "platform/system.h"
#include "ui/progress_bar.h"
#include "ui/skin.h"

namespace {

const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 333;
const int kBackgroundResource = 102;
// The panel sits at (32, 287) in the main window and shows, as its backdrop,
// the background from three pixels up and to the left of that spot.
const D2D1_RECT_F kBackdropSource = {29, 284, 639, 304};
const D2D1_RECT_F kBackdropDestination = {0, 0, 610, 20};

}  // namespace

cWinDownloadInfo::cWinDownloadInfo()
    : labelRects{},
      valueRects{},
      labelTexts{},
      tagColor(0),
      tagAlpha(0),
      valueColor(0),
      valueAlpha(0),
      infoRequested(false),
      progressBar(nullptr) {
  SetAsciiText(remainingText, "00:00:00");
  SetAsciiText(elapsedText, "00:00:00");
  SetAsciiText(receivedText, "000.0 MBytes");
  SetAsciiText(totalText, "000.0 MBytes");
}

bool cWinDownloadInfo::CreatePanel(cJson& ux) {
  PanelSkin skin;
  if (!ReadPanelSkin(ux, &skin)) return false;
  for (int i = 0; i < kPanelItemCount; ++i) {
    labelRects[i] = skin.labelRects[i];
    valueRects[i] = skin.valueRects[i];
    for (int c = 0; c < 16; ++c) labelTexts[i][c] = skin.labels[i][c];
  }
  textFormat = MakeTextFormat(skin.tagFont.name, skin.tagFont.size);
  tagColor = skin.tagFont.color;
  tagAlpha = skin.tagFont.alpha;
  valueColor = skin.valueColor;
  valueAlpha = skin.valueAlpha;

  cWinMain* main = theApp->mainWindow;
  parentHwnd = main->hwnd;
  x = 32;
  y = 287;
  width = 590;
  height = 20;
  if (CreateSystemWindow(WS_CHILD | WS_TABSTOP, x, y, width, height)) {
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);
  }
  if (hwnd) ShowWindow(hwnd, SW_SHOW);
  progressBar = &main->progressBar;
  StartTicking();
  return true;
}

void cWinDownloadInfo::StartTicking() {
  if (hwnd) SetTimer(hwnd, kTimerId, kTimerPeriodMs, nullptr);
}

void cWinDownloadInfo::MakeDeviceResources() {
  tagBrush = MakeBrush(tagColor, tagAlpha);
  valueBrush = MakeBrush(valueColor, valueAlpha);
  panelBackground = LoadBitmapFromResource(kBackgroundResource);
}

void cWinDownloadInfo::DiscardDeviceResources() {
  tagBrush.Reset();
  valueBrush.Reset();
  panelBackground.Reset();
}

void cWinDownloadInfo::OnTick() {
  cMgrDownloader* manager = theApp->downloadManager;
  if (!manager) {
    // Once, on the first tick: the download information. While paused there
    // is no manager either, and the figures stay as they are.
    if (!infoRequested) {
      infoRequested = true;
      theApp->mainWindow->LoadDownloadInfo();
    }
    return;
  }
  if (manager->completed) KillTimer(hwnd, kTimerId);  // this tick is the last
  const int64_t total = manager->totalSize;
  if (total == 0) return;
  const int64_t progress = manager->progressSize;
  FormatSizeText(progress, receivedText);
  const TransferFigures figures = ComputeTransferFigures(total, progress, manager->receivedSize,
                                                         platform::TickCount() - manager->startTick);
  FormatTimeText(figures.elapsedSeconds, elapsedText);
  progressBar->SetSpeed(figures.bytesPerSecond * static_cast<float>(1.0 / kBytesPerMiB));
  FormatTimeText(figures.remainingSeconds, remainingText);
  progressBar->SetRate(figures.rate);
  Invalidate();
}

void cWinDownloadInfo::Paint() {
  if (!panelBackground) MakeDeviceResources();
  PAINTSTRUCT paint;
  ID2D1RenderTarget* target = BeginPainting(&paint);
  if (target) {
    if (panelBackground) {
      target->DrawBitmap(panelBackground.Get(), kBackdropDestination, 1.0f,
                         D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, kBackdropSource);
    }
    const WideChar* values[kPanelItemCount] = {remainingText, elapsedText, receivedText, totalText};
    if (textFormat && tagBrush && valueBrush) {
      for (int i = 0; i < kPanelItemCount; ++i) {
        DrawWholeText(target, labelTexts[i], textFormat.Get(), labelRects[i], tagBrush.Get(),
                      D2D1_DRAW_TEXT_OPTIONS_NO_SNAP);
      }
      for (int i = 0; i < kPanelItemCount; ++i) {
        DrawWholeText(target, values[i], textFormat.Get(), valueRects[i], valueBrush.Get(),
                      D2D1_DRAW_TEXT_OPTIONS_NO_SNAP);
      }
    }
  }
  EndPainting(&paint, target);
}

LRESULT cWinDownloadInfo::OnMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      MakeDeviceResources();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kTimerId);
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_NCHITTEST:
      return DragParentOnHitTest(lParam);  // pressing on the panel drags the main window
    case WM_TIMER:
      OnTick();
      return 0;
  }
  return 0;
}
