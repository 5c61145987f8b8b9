#pragma once
// The transfer information panel: the one-line strip under the progress bar
// with the remaining and elapsed time, the bytes received and the client's
// size. It owns the program's only timer: every 333 ms it reads the running
// download's counters through the application link, feeds speed and
// percentage to the progress bar and repaints the values that changed. Its
// first tick, before any download, loads the download information. Pressing
// on it drags the main window; its window text is its figures.

#include "ui/figures.h"
#include "ui/placed_text.h"
#include "ui/window.h"

class cJson;
class cProgressBar;

// A window of the panel kind, owned through its base.
class cPanel : public cWindow {
 public:
  virtual ~cPanel() = default;
};

class cWinDownloadInfo : public cPanel {
 public:
  cWinDownloadInfo();

  std::optional<LRESULT> OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Reads the panel's skin, creates its window in `parentHwnd` (the main
  // window), feeding `bar`, and starts its timer. False, with no window and
  // no timer, when a member is missing.
  bool CreatePanel(cJson& ux, cProgressBar* bar);
  // At its place in the main window, at its DPI.
  void Place();
  // One refresh of the figures.
  void OnTick();
  // Shows `text` as the value of `item` (a PanelItem): only where the old
  // or the new text reaches is repainted, and nothing when it is the same.
  void ShowValue(int item, const WideChar* text);
  // (Re)starts the 333 ms timer; a completed download stops it, and a Start
  // after one (when Launch found the game changed) needs it again.
  void StartTicking();
  // The window's text becomes the labels and values as shown ("Remained :
  // 00:01:02, Elapsed : ..."), what a screen reader reads: at every change
  // of a value, and when one is written from outside (the total).
  void ShowReadableText();

  ComPtr<IDWriteTextFormat> textFormat;
  RectF labelRects[kPanelItemCount];
  RectF valueRects[kPanelItemCount];
  WideChar labelTexts[kPanelItemCount][16];
  WideChar remainingText[kFigureTextCapacity];
  WideChar elapsedText[kFigureTextCapacity];
  WideChar receivedText[kFigureTextCapacity];
  WideChar totalText[kFigureTextCapacity];
  int32_t tagColor;
  float tagAlpha;
  int32_t valueColor;
  float valueAlpha;
  bool infoRequested;
  cProgressBar* progressBar;

 protected:
  // The labels' and values' brushes and the backdrop.
  bool MakeDeviceResources() override;
  void DropDeviceResources() override;
  // A tick invalidates only the values that changed: the paint draws only
  // what reaches that part, and clipped to it, each pixel as a whole paint
  // would draw it (backdrop, labels, values).
  void Draw(ID2D1RenderTarget* target, const RectF& part) override;
  // Read as static text, its figures as its name.
  long AccessibleRole() const override;

 private:
  // Made on the panel's render target.
  struct DeviceResources {
    ComPtr<ID2D1SolidColorBrush> tagBrush;
    ComPtr<ID2D1SolidColorBrush> valueBrush;
    ComPtr<ID2D1Bitmap> background;
    // The static parts, drawn once at the first paint that needs them.
    ComPtr<ID2D1Bitmap> staticLayer;
  };

  WideChar* ValueText(int item);
  // The backdrop and the labels: what no tick changes.
  void DrawStaticParts(ID2D1RenderTarget* target);
  // Those drawn once into a bitmap of the panel's size on `target`, to be
  // copied 1:1 at each paint; null when the target cannot make one.
  ComPtr<ID2D1Bitmap> MakeStaticLayer(ID2D1RenderTarget* target);

  DeviceResources device;
  cPlacedText placedValues[kPanelItemCount];
};
