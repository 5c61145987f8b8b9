#include "ui/progress_bar.h"

#include <oleacc.h>

#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "ui/application_link.h"
#include "ui/areas.h"
#include "ui/skin.h"

cProgressBar::cProgressBar()
    : barWidth(0),
      barHeight(0),
      bgColor(0),
      fgColor(0),
      drawRateText(false),
      rateRect{},
      speedRect{},
      textColor(0),
      textAlpha(0),
      rate(0),
      speed(0),
      fillWidth(0),
      fillRect{} {
  SetAsciiText(rateText, "0.00%");
  SetAsciiText(speedText, "0.000 MiB/Sec");
}

bool cProgressBar::LoadConfig(cJson& ux) {
  ProgressBarSkin skin;
  if (!ReadProgressBarSkin(ux, &skin)) return false;
  x = skin.x;
  y = skin.y;
  barWidth = skin.width;
  barHeight = skin.height;
  bgColor = skin.bgColor;
  fgColor = skin.fgColor;
  drawRateText = skin.drawRateText;
  // Two formats of one font rather than one whose alignment changes at
  // every paint: each text is laid out once per change with its own.
  textFormat = MakeTextFormat(skin.font.name, skin.font.size);
  speedTextFormat = MakeTextFormat(skin.font.name, skin.font.size);
  if (textFormat) textFormat->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
  if (speedTextFormat) speedTextFormat->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_TRAILING);
  textAlpha = skin.font.alpha;
  textColor = skin.font.color;
  return true;
}

void cProgressBar::PlaceTexts() {
  rateRect = RateTextRect(barWidth);
  speedRect = SpeedTextRect(barWidth);
}

void cProgressBar::CreateBarWindow() {
  width = barWidth;
  height = barHeight;
  if (CreateSystemWindow(WS_CHILD, ToPixels(x), ToPixels(y), ToPixels(barWidth), ToPixels(barHeight))) {
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);
  }
  fillRect = {1, 1, static_cast<float>(fillWidth + 1), static_cast<float>(barHeight - 1)};
  if (hwnd) ShowWindow(hwnd, SW_SHOW);
  ShowReadableText();
}

void cProgressBar::Place() {
  if (hwnd) {
    SetWindowPos(hwnd, nullptr, ToPixels(x), ToPixels(y), ToPixels(barWidth), ToPixels(barHeight), SWP_SHOWWINDOW);
  }
}

void cProgressBar::SetRate(int newRate) {
  if (newRate == rate) return;
  if (application) application->ShowTaskbarRate(newRate);
  if (drawRateText) {
    FormatRateText(newRate, rateText);
    Invalidate(placedRate.Place(rateText, textFormat.Get(), rateRect));
  }
  rate = newRate;
  const int oldFillWidth = fillWidth;
  fillWidth = FillWidth(barWidth, newRate);
  fillRect.right = static_cast<float>(fillWidth) + 1.0f;
  Invalidate(FillChange(oldFillWidth, fillWidth, barHeight));
  ShowReadableText();
}

void cProgressBar::SetSpeed(float newSpeed) {
  if (newSpeed == speed) return;
  speed = newSpeed;
  if (drawRateText) {
    FormatSpeedText(newSpeed, speedText);
    Invalidate(placedSpeed.Place(speedText, speedTextFormat.Get(), speedRect));
  }
  ShowReadableText();
}

void cProgressBar::ShowFigures(const TransferFigures& figures) {
  SetSpeed(figures.bytesPerSecond * static_cast<float>(1.0 / kBytesPerMiB));
  SetRate(figures.rate);
}

bool cProgressBar::MakeDeviceResources() {
  device.fgBrush = MakeBrush(fgColor, 1.0f);
  device.textBrush = MakeBrush(textColor, textAlpha);
  return device.fgBrush != nullptr;
}

void cProgressBar::DropDeviceResources() { device = {}; }

void cProgressBar::Draw(ID2D1RenderTarget* target, const RectF& part) {
  target->PushAxisAlignedClip(ToD2D(part), D2D1_ANTIALIAS_MODE_ALIASED);
  target->Clear(ColorFromRgb(bgColor, 1.0f));
  if (device.fgBrush) target->FillRectangle(ToD2D(fillRect), device.fgBrush.Get());
  if (drawRateText && device.textBrush) {
    placedRate.Place(rateText, textFormat.Get(), rateRect);
    placedSpeed.Place(speedText, speedTextFormat.Get(), speedRect);
    for (const cPlacedText* text : {&placedRate, &placedSpeed}) {
      if (Overlaps(text->Reach(), part)) text->Draw(target, device.textBrush.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
    }
  }
  target->PopAxisAlignedClip();
}

std::optional<LRESULT> cProgressBar::OnMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_CREATE) Place();
  return OnDraggingChildMessage(message, lParam);
}

long cProgressBar::AccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }

void cProgressBar::ShowReadableText() {
  if (!hwnd) return;
  WideChar rateFigure[kRateTextCapacity];
  WideChar speedFigure[kFigureTextCapacity];
  FormatRateText(rate, rateFigure);
  FormatSpeedText(speed, speedFigure);
  WideChar text[kRateTextCapacity + 2 + kFigureTextCapacity];
  wcscpy(text, rateFigure);
  wcscat(text, L", ");
  wcscat(text, speedFigure);
  SetWindowTextW(hwnd, text);
}
