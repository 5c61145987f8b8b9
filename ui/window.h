#pragma once
// cWindow: the base of every window of the program. It binds one system
// window of the class "base-window-class" to one object, routes the window's
// messages to the object's OnMessage, and offers the drawing services every
// window uses: a Direct2D render target, bitmaps decoded from the embedded
// JPEG images, DirectWrite text formats, and the one paint skeleton.
//
// Drawing path: every window draws through an ID2D1DCRenderTarget bound to
// the device context of its WM_PAINT, and the main window clips its
// children. A child window's own ID2D1HwndRenderTarget is never shown under
// Wine (the parent's pixels show through), while a DC target shows exactly,
// on Windows as well; the geometry, colours and order of drawing are the
// same either way.
//
// Resources: what does not depend on the device (factories, the decoded
// background) is the window session's (ui/window_session.h); text formats are
// made once, when a window reads its skin. What is made on a window's render
// target (bitmaps, brushes) is that window's device resources: one struct per
// window, dropped by one assignment when the target is lost, made again at
// the next paint.
//
// Display scale: every window draws in the skin's device-independent
// pixels; its render target is set to the window's DPI, so Direct2D and
// DirectWrite turn them into the display's pixels (texts at their real
// size), and its images come from the set made for that DPI (ui/scale.h),
// each bitmap carrying the DPI that gives it the skin's size. What the
// system measures (window places and sizes, a paint's rectangle,
// invalidation) is in pixels and converted here.
//
// Everything here runs on the user-interface thread.

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <optional>

#include "platform/wide_text.h"
#include "ui/skin.h"
#include "ui/window_session.h"

class cApplicationLink;

class cWindow {
 public:
  // The one window class of the program.
  static constexpr char kClassName[] = "base-window-class";

  cWindow();
  // Not virtual: window objects are members of the main window object and
  // are never deleted through this base.
  ~cWindow();
  cWindow(const cWindow&) = delete;
  cWindow& operator=(const cWindow&) = delete;

  // The object's message handler: the result of a message it handled,
  // which goes back to the system as it is, or nothing, and the base
  // handling and DefWindowProcA follow.
  virtual std::optional<LRESULT> OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // WM_CLOSE and the Escape key. Nothing here; the main window asks.
  virtual void OnClose();

  // Creates this object's system window (class "base-window-class") named
  // `text` with `style` at (x, y) in `parentHwnd`. The object is bound while
  // the system creates it, so OnMessage has seen WM_CREATE when this
  // returns. Null on failure, and outside a window session.
  HWND CreateSystemWindow(DWORD style, int left, int top, int width, int height, const char* text = "no-name");

  // The render target, made on first use. Null when Direct2D refuses.
  ID2D1DCRenderTarget* GetRenderTarget();
  // A repaint of the whole window without erasing; nothing without a window.
  void Invalidate();
  // A repaint of the whole pixels `part` (in device-independent pixels)
  // touches; nothing for an empty part.
  void Invalidate(const RectF& part);
  // Embedded JPEG resource `id`, of the image set for this window's DPI
  // (the skin's size where there is no larger one), as a bitmap of this
  // window's render target whose size in device-independent pixels is the
  // skin's; null when the resource is missing or does not decode.
  ComPtr<ID2D1Bitmap> LoadBitmapFromResource(int id);
  // The same of the background, which the session decodes only once.
  ComPtr<ID2D1Bitmap> LoadBackgroundBitmap();
  // A text format of the system's fonts, normal weight, style and stretch,
  // `size` in device-independent pixels, locale "ko-kr". Null if refused.
  static ComPtr<IDWriteTextFormat> MakeTextFormat(const WideChar* family, float size);
  // `text` laid out in `rect` with `format`, natural measuring, as DrawText
  // lays it out. Null if refused.
  static ComPtr<IDWriteTextLayout> MakeTextLayout(const WideChar* text, IDWriteTextFormat* format, const RectF& rect);
  // A solid brush of 0xRRGGBB at `alpha` on this window's render target.
  ComPtr<ID2D1SolidColorBrush> MakeBrush(int32_t rgb, float alpha);

  // What every paint ends with: a lost device (D2DERR_RECREATE_TARGET)
  // drops the target and the window's device resources, to be made again at
  // the next paint, which is asked for at once; any other failure is
  // reported in the "error" box and the window stays as it is.
  void FinishDraw(HRESULT endDrawResult);

  // Draws `image` into `destination` (device-independent pixels): with
  // `exactMode` where that is the image's own size in pixels (nothing to
  // interpolate), otherwise with the best interpolation the system has
  // (high-quality cubic where Direct2D 1.1 is there, else linear).
  void DrawImage(ID2D1RenderTarget* target, ID2D1Bitmap* image, const D2D1_RECT_F& destination, float opacity,
                 D2D1_BITMAP_INTERPOLATION_MODE exactMode, const D2D1_RECT_F* source = nullptr);

  // The DPI the window draws at; a child takes its parent's. A change
  // sets the render target's and has the device resources made again at
  // the next paint, for the images of the new set.
  void SetDpi(int newDpi);
  // Device-independent pixels of the skin in this window's pixels.
  int ToPixels(float dips) const;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd;
  HWND parentHwnd;
  // A child's place and size in its parent, in the skin's device-independent
  // pixels (its system window's are ToPixels of them); the main window's on
  // the screen, in pixels.
  int x, y;
  int width, height;
  int dpi;
  // The application, as the main window hands it to itself and to its
  // children before their system windows exist; null in a window of no
  // application (a failed paint is then reported to nobody).
  cApplicationLink* application;

 protected:
  // The messages of a child that draws itself over the main window and
  // drags it (the progress bar, the panel), answered alike: WM_CREATE makes
  // the device resources, WM_PAINT paints, and the hit test tells the parent
  // its caption was pressed, so the system moves it. Only while the left
  // button is down: under Wine a mere hover would otherwise start the move
  // loop, and the window would follow the pointer. Nothing for the rest.
  std::optional<LRESULT> OnDraggingChildMessage(UINT message, LPARAM lParam);

  // What a screen reader is told of this window (ui/accessible.h): its role
  // (ROLE_SYSTEM_*), 0 leaving the window to the system's own object, and
  // the state bits (STATE_SYSTEM_*) only the window knows.
  virtual long AccessibleRole() const { return 0; }
  virtual long AccessibleState() const { return 0; }

  // Makes the device resources unless they are all made already: at
  // creation, at each paint until they are, and again after a lost device.
  void PrepareDeviceResources();
  // The paint skeleton, every window's WM_PAINT: PrepareDeviceResources,
  // BeginPaint, and, when the window is ReadyToDraw, the render target bound
  // to the paint's device context over the client area, BeginDraw, Draw with
  // the paint's update rectangle, then FinishDraw; EndPaint.
  void Paint();

  // Makes the window's device resources on GetRenderTarget(). True once they
  // are complete; false has them tried again at the next paint.
  virtual bool MakeDeviceResources() = 0;
  // Drops them all: one assignment of the window's device resources struct.
  virtual void DropDeviceResources() = 0;
  // False: a paint draws nothing and only validates the window.
  virtual bool ReadyToDraw() { return true; }
  // The window's own drawing, between BeginDraw and EndDraw on `target`;
  // `part` is the paint's update rectangle, in the window's pixels: only
  // what reaches it shows, and a window may skip the rest.
  virtual void Draw(ID2D1RenderTarget* target, const RectF& part) = 0;

 private:
  // A bitmap of this window's render target with the pixels of `image`, an
  // image of the set at `imageScale` times the skin's size.
  ComPtr<ID2D1Bitmap> MakeBitmap(IWICBitmapSource* image, int imageScale);

  ComPtr<ID2D1DCRenderTarget> renderTarget;
  bool deviceResourcesMade;
};

// Draws the whole zero-terminated `text` in `rect`, natural measuring.
void DrawWholeText(ID2D1RenderTarget* target, const WideChar* text, IDWriteTextFormat* format, const RectF& rect,
                   ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options);

// The Direct2D colour of 0xRRGGBB at `alpha`.
D2D1_COLOR_F ColorFromRgb(int32_t rgb, float alpha);
D2D1_RECT_F ToD2D(const RectF& rect);
RectF ToRectF(const RECT& rect);
