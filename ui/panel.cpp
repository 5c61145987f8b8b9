#include "ui/panel.h"

#include <oleacc.h>

#include <cwchar>

#include "ui/application_link.h"
#include "ui/areas.h"
#include "ui/progress_bar.h"
#include "ui/skin.h"

namespace {

const UINT_PTR kTimerId = 1;
// Three ticks a second: a second of the elapsed time shows within a third
// of a second of its change, where a 1000 ms period beating with the clock
// would skip seconds. Each tick that changes texts costs its repaint, under
// Wine about 13 ms of CPU of drawing, and 60 ms or more with the Direct3D
// command thread's spin after it (tests/bench/downloader_wine_benchmark.sh),
// so a shorter period costs in proportion.
const UINT kTimerPeriodMs = 333;
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

bool cWinDownloadInfo::CreatePanel(cJson& ux, cProgressBar* bar) {
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

  x = 32;
  y = 287;
  width = 590;
  height = 20;
  if (CreateSystemWindow(WS_CHILD | WS_TABSTOP, ToPixels(x), ToPixels(y), ToPixels(width), ToPixels(height))) {
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);
  }
  if (hwnd) ShowWindow(hwnd, SW_SHOW);
  ShowReadableText();
  progressBar = bar;
  StartTicking();
  return true;
}

void cWinDownloadInfo::Place() {
  if (hwnd) SetWindowPos(hwnd, nullptr, ToPixels(x), ToPixels(y), ToPixels(width), ToPixels(height), SWP_NOZORDER);
}

void cWinDownloadInfo::StartTicking() {
  if (hwnd) SetTimer(hwnd, kTimerId, kTimerPeriodMs, nullptr);
}

bool cWinDownloadInfo::MakeDeviceResources() {
  device.tagBrush = MakeBrush(tagColor, tagAlpha);
  device.valueBrush = MakeBrush(valueColor, valueAlpha);
  device.background = LoadBackgroundBitmap();
  return device.background != nullptr;
}

void cWinDownloadInfo::DropDeviceResources() { device = {}; }

WideChar* cWinDownloadInfo::ValueText(int item) {
  switch (item) {
    case kRemainingItem: return remainingText;
    case kElapsedItem: return elapsedText;
    case kReceivedItem: return receivedText;
    default: return totalText;
  }
}

void cWinDownloadInfo::ShowValue(int item, const WideChar* text) {
  WideChar* shown = ValueText(item);
  if (wcsncmp(shown, text, kFigureTextCapacity) == 0) return;
  wcsncpy(shown, text, kFigureTextCapacity - 1);
  shown[kFigureTextCapacity - 1] = 0;
  Invalidate(placedValues[item].Place(shown, textFormat.Get(), valueRects[item]));
  ShowReadableText();
}

void cWinDownloadInfo::OnTick() {
  TransferCounters counters;
  if (!application->ReadTransfer(&counters)) {
    // Once, on the first tick: the download information. While paused there
    // is no manager either, and the figures stay as they are.
    if (!infoRequested) {
      infoRequested = true;
      application->LoadDownloadInfo();
    }
    return;
  }
  if (counters.completed) KillTimer(hwnd, kTimerId);  // this tick is the last
  if (counters.totalBytes == 0) return;
  const TransferFigures figures = ComputeTransferFigures(counters);
  // Each text repaints only where it changed: most ticks change two or
  // three short texts of the strip, or none.
  WideChar text[kFigureTextCapacity];
  FormatSizeText(counters.progressBytes, text);
  ShowValue(kReceivedItem, text);
  FormatTimeText(figures.elapsedSeconds, text);
  ShowValue(kElapsedItem, text);
  FormatTimeText(figures.remainingSeconds, text);
  ShowValue(kRemainingItem, text);
  progressBar->ShowFigures(figures);
}

void cWinDownloadInfo::DrawStaticParts(ID2D1RenderTarget* target) {
  if (device.background) {
    DrawImage(target, device.background.Get(), kBackdropDestination, 1.0f,
              D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, &kBackdropSource);
  }
  if (!textFormat || !device.tagBrush) return;
  for (int i = 0; i < kPanelItemCount; ++i) {
    DrawWholeText(target, labelTexts[i], textFormat.Get(), labelRects[i], device.tagBrush.Get(),
                  D2D1_DRAW_TEXT_OPTIONS_NO_SNAP);
  }
}

ComPtr<ID2D1Bitmap> cWinDownloadInfo::MakeStaticLayer(ID2D1RenderTarget* target) {
  // Of the target's own pixel format and resolution, so that the copy is
  // pixel for pixel what drawing them on the target gives.
  ComPtr<ID2D1BitmapRenderTarget> layerTarget;
  ComPtr<ID2D1Bitmap> layer;
  const D2D1_SIZE_F size = D2D1::SizeF(static_cast<float>(width), static_cast<float>(height));
  if (FAILED(target->CreateCompatibleRenderTarget(size, layerTarget.GetAddressOf()))) return nullptr;
  layerTarget->BeginDraw();
  DrawStaticParts(layerTarget.Get());
  if (FAILED(layerTarget->EndDraw()) || FAILED(layerTarget->GetBitmap(layer.GetAddressOf()))) return nullptr;
  return layer;
}

void cWinDownloadInfo::Draw(ID2D1RenderTarget* target, const RectF& part) {
  target->PushAxisAlignedClip(ToD2D(part), D2D1_ANTIALIAS_MODE_ALIASED);
  if (!device.staticLayer && device.background) device.staticLayer = MakeStaticLayer(target);
  if (device.staticLayer) {
    // The layer has the target's DPI: copied whole, its pixels land 1:1.
    const D2D1_RECT_F whole = D2D1::RectF(0, 0, static_cast<float>(width), static_cast<float>(height));
    target->DrawBitmap(device.staticLayer.Get(), &whole, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, nullptr);
  } else {
    DrawStaticParts(target);
  }
  if (textFormat && device.valueBrush) {
    for (int i = 0; i < kPanelItemCount; ++i) {
      // Texts written from outside (the total) are laid out here.
      placedValues[i].Place(ValueText(i), textFormat.Get(), valueRects[i]);
      if (Overlaps(placedValues[i].Reach(), part)) {
        placedValues[i].Draw(target, device.valueBrush.Get(), D2D1_DRAW_TEXT_OPTIONS_NO_SNAP);
      }
    }
  }
  target->PopAxisAlignedClip();
}

std::optional<LRESULT> cWinDownloadInfo::OnMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      KillTimer(hwnd, kTimerId);
      return 0;
    case WM_TIMER:
      OnTick();
      return 0;
  }
  return OnDraggingChildMessage(message, lParam);
}

long cWinDownloadInfo::AccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }

void cWinDownloadInfo::ShowReadableText() {
  if (!hwnd) return;
  // Four labels of 16 and values of kFigureTextCapacity, with separators.
  WideChar text[kPanelItemCount * (16 + kFigureTextCapacity + 3)] = L"";
  for (int i = 0; i < kPanelItemCount; ++i) {
    if (i > 0) wcscat(text, L", ");
    wcscat(text, labelTexts[i]);
    wcscat(text, L" ");
    wcscat(text, ValueText(i));
  }
  SetWindowTextW(hwnd, text);
}
