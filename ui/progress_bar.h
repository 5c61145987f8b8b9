#pragma once
// cProgressBar: the overall progress of the download, a flat bar filled from
// the left in proportion to a rate in hundredths of a percent, with (if the
// skin asks for it) the percentage in the middle and the speed at the right.
// It keeps no timer and reads no counters: SetRate and SetSpeed push values
// in, and it repaints only when a value changes. Its window text is its
// figures.

#include "ui/figures.h"
#include "ui/placed_text.h"
#include "ui/window.h"

class cJson;

class cProgressBar : public cWindow {
 public:
  cProgressBar();

  std::optional<LRESULT> OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Reads "progressbar" / "total" and "font" / "progressbar"; false at the
  // first missing member.
  bool LoadConfig(cJson& ux);
  // Places the two texts over a bar `barWidth` wide.
  void PlaceTexts();
  // A child of `parentHwnd` at (x, y), barWidth by barHeight; hidden,
  // updated, its fill set, then shown.
  void CreateBarWindow();

  // At (x, y), barWidth by barHeight, at its DPI; shown.
  void Place();

  // A new rate also goes to the taskbar button, through the application.
  void SetRate(int newRate);
  void SetSpeed(float newSpeed);
  // The speed (in MiB per second) and the rate of `figures`.
  void ShowFigures(const TransferFigures& figures);

  int barWidth, barHeight;
  int32_t bgColor, fgColor;
  bool drawRateText;
  WideChar rateText[kRateTextCapacity];
  RectF rateRect;
  WideChar speedText[kFigureTextCapacity];
  RectF speedRect;
  ComPtr<IDWriteTextFormat> textFormat;        // the percentage's: leading
  ComPtr<IDWriteTextFormat> speedTextFormat;   // the same font, trailing
  int32_t textColor;
  float textAlpha;
  int rate;
  float speed;
  int fillWidth;
  RectF fillRect;

 protected:
  // The fill's and the texts' brushes.
  bool MakeDeviceResources() override;
  void DropDeviceResources() override;
  // A change invalidates only its part (the fill's moved edge, a text): the
  // paint is clipped to it and draws there what a whole paint would.
  void Draw(ID2D1RenderTarget* target, const RectF& part) override;
  // Read as static text: its percentage and speed, drawn or not.
  long AccessibleRole() const override;

 private:
  // The window's text becomes the percentage and the speed ("12.34%,
  // 0.750 MiB/Sec"), at every change of either.
  void ShowReadableText();

  struct DeviceResources {
    ComPtr<ID2D1SolidColorBrush> fgBrush;
    ComPtr<ID2D1SolidColorBrush> textBrush;
  };

  DeviceResources device;
  // Each change repaints only where the old or the new text reaches.
  cPlacedText placedRate;
  cPlacedText placedSpeed;
};
