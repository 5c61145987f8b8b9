#include "ui/window.h"

#include <d2d1_1.h>

#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "ui/accessible.h"
#include "ui/application_link.h"
#include "ui/areas.h"
#include "ui/scale.h"

D2D1_COLOR_F ColorFromRgb(int32_t rgb, float alpha) {
  return D2D1::ColorF(static_cast<float>((rgb >> 16) & 255) / 255.0f, static_cast<float>((rgb >> 8) & 255) / 255.0f,
                      static_cast<float>(rgb & 255) / 255.0f, alpha);
}

D2D1_RECT_F ToD2D(const RectF& rect) { return D2D1::RectF(rect.left, rect.top, rect.right, rect.bottom); }

RectF ToRectF(const RECT& rect) {
  return {static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.right),
          static_cast<float>(rect.bottom)};
}

void DrawWholeText(ID2D1RenderTarget* target, const WideChar* text, IDWriteTextFormat* format, const RectF& rect,
                   ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options) {
  target->DrawText(text, static_cast<UINT32>(wcslen(text)), format, ToD2D(rect), brush, options,
                   DWRITE_MEASURING_MODE_NATURAL);
}

cWindow::cWindow()
    : hwnd(nullptr),
      parentHwnd(nullptr),
      x(0),
      y(0),
      width(0),
      height(0),
      dpi(kSkinDpi),
      application(nullptr),
      deviceResourcesMade(false) {}

cWindow::~cWindow() {
  // A window that outlives its object must not reach it any more.
  if (hwnd) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

void cWindow::OnClose() {}

HWND cWindow::CreateSystemWindow(DWORD style, int left, int top, int windowWidth, int windowHeight,
                                 const char* text) {
  cWindowSession* session = cWindowSession::Current();
  if (!session) return nullptr;
  return CreateWindowExA(0, kClassName, text, style, left, top, windowWidth, windowHeight, parentHwnd, nullptr,
                         session->Instance(), this);
}

ID2D1DCRenderTarget* cWindow::GetRenderTarget() {
  cWindowSession* session = cWindowSession::Current();
  if (!renderTarget && session && session->DrawingFactory()) {
    // A DC target needs its pixel format spelled out. At the window's DPI
    // the skin's device-independent pixels become the display's pixels: one
    // to one at 96 DPI.
    const float targetDpi = static_cast<float>(dpi);
    const D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE),
        targetDpi, targetDpi);
    session->DrawingFactory()->CreateDCRenderTarget(&properties, renderTarget.GetAddressOf());
  }
  return renderTarget.Get();
}

void cWindow::Invalidate() {
  if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

ComPtr<ID2D1Bitmap> cWindow::MakeBitmap(IWICBitmapSource* image, int imageScale) {
  ID2D1RenderTarget* target = GetRenderTarget();
  ComPtr<ID2D1Bitmap> bitmap;
  // An image of the set at twice the size carries twice the DPI: its size
  // in device-independent pixels is the skin's either way.
  const float imageDpi = static_cast<float>(kSkinDpi * imageScale);
  const D2D1_BITMAP_PROPERTIES properties = D2D1::BitmapProperties(
      D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), imageDpi, imageDpi);
  if (!image || !target || FAILED(target->CreateBitmapFromWicBitmap(image, &properties, bitmap.GetAddressOf()))) {
    return nullptr;
  }
  return bitmap;
}

ComPtr<ID2D1Bitmap> cWindow::LoadBitmapFromResource(int id) {
  cWindowSession* session = cWindowSession::Current();
  if (!session) return nullptr;
  if (ImageScaleFor(dpi) == 2) {
    if (ComPtr<IWICBitmapSource> large = session->DecodeImage(id + RESOURCE_DOUBLE_SIZE)) {
      return MakeBitmap(large.Get(), 2);
    }
  }
  ComPtr<IWICBitmapSource> image = session->DecodeImage(id);
  return MakeBitmap(image.Get(), 1);
}

ComPtr<ID2D1Bitmap> cWindow::LoadBackgroundBitmap() {
  cWindowSession* session = cWindowSession::Current();
  if (!session) return nullptr;
  if (ImageScaleFor(dpi) == 2) {
    if (IWICBitmapSource* large = session->Background(2)) return MakeBitmap(large, 2);
  }
  return MakeBitmap(session->Background(1), 1);
}

void cWindow::DrawImage(ID2D1RenderTarget* target, ID2D1Bitmap* image, const D2D1_RECT_F& destination, float opacity,
                        D2D1_BITMAP_INTERPOLATION_MODE exactMode, const D2D1_RECT_F* source) {
  const D2D1_SIZE_F dips = image->GetSize();
  const D2D1_SIZE_U pixels = image->GetPixelSize();
  const float sourceWidth = source ? source->right - source->left : dips.width;
  const float drawnPixels = (destination.right - destination.left) * static_cast<float>(dpi) / kSkinDpi;
  const float imagePixels = sourceWidth * static_cast<float>(pixels.width) / dips.width;
  if (drawnPixels == imagePixels) {
    target->DrawBitmap(image, &destination, opacity, exactMode, source);
    return;
  }
  ComPtr<ID2D1DeviceContext> context;
  if (SUCCEEDED(target->QueryInterface(IID_PPV_ARGS(context.GetAddressOf())))) {
    context->DrawBitmap(image, &destination, opacity, D2D1_INTERPOLATION_MODE_HIGH_QUALITY_CUBIC, source, nullptr);
  } else {
    target->DrawBitmap(image, &destination, opacity, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, source);
  }
}

void cWindow::SetDpi(int newDpi) {
  if (newDpi == dpi) return;
  dpi = newDpi;
  if (renderTarget) renderTarget->SetDpi(static_cast<float>(dpi), static_cast<float>(dpi));
  // The images of the other set, and what was drawn from them.
  DropDeviceResources();
  deviceResourcesMade = false;
}

int cWindow::ToPixels(float dips) const { return ScaledPixels(dips, dpi); }

void cWindow::Invalidate(const RectF& part) {
  if (!hwnd || IsEmpty(part)) return;
  const float scale = static_cast<float>(dpi) / kSkinDpi;
  const RectF whole = WholePixels({part.left * scale, part.top * scale, part.right * scale, part.bottom * scale});
  const RECT pixels = {static_cast<LONG>(whole.left), static_cast<LONG>(whole.top), static_cast<LONG>(whole.right),
                       static_cast<LONG>(whole.bottom)};
  InvalidateRect(hwnd, &pixels, FALSE);
}

ComPtr<IDWriteTextLayout> cWindow::MakeTextLayout(const WideChar* text, IDWriteTextFormat* format, const RectF& rect) {
  ComPtr<IDWriteTextLayout> layout;
  cWindowSession* session = cWindowSession::Current();
  if (session && session->TextFactory() && format) {
    const float width = rect.right > rect.left ? rect.right - rect.left : 0.0f;
    const float height = rect.bottom > rect.top ? rect.bottom - rect.top : 0.0f;
    session->TextFactory()->CreateTextLayout(text, static_cast<UINT32>(wcslen(text)), format, width, height,
                                             layout.GetAddressOf());
  }
  return layout;
}

ComPtr<IDWriteTextFormat> cWindow::MakeTextFormat(const WideChar* family, float size) {
  ComPtr<IDWriteTextFormat> format;
  cWindowSession* session = cWindowSession::Current();
  if (session && session->TextFactory()) {
    session->TextFactory()->CreateTextFormat(family, nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL,
                                             DWRITE_FONT_STRETCH_NORMAL, size, L"ko-kr", format.GetAddressOf());
  }
  return format;
}

ComPtr<ID2D1SolidColorBrush> cWindow::MakeBrush(int32_t rgb, float alpha) {
  ComPtr<ID2D1SolidColorBrush> brush;
  if (ID2D1RenderTarget* target = GetRenderTarget()) {
    target->CreateSolidColorBrush(ColorFromRgb(rgb, alpha), brush.GetAddressOf());
  }
  return brush;
}

std::optional<LRESULT> cWindow::OnDraggingChildMessage(UINT message, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      PrepareDeviceResources();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_NCHITTEST:
      if (GetAsyncKeyState(VK_LBUTTON) < 0) SendMessageA(parentHwnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      return HTCLIENT;
  }
  return std::nullopt;
}

void cWindow::PrepareDeviceResources() {
  if (!deviceResourcesMade) deviceResourcesMade = MakeDeviceResources();
}

void cWindow::Paint() {
  PrepareDeviceResources();
  PAINTSTRUCT paint;
  BeginPaint(hwnd, &paint);
  ID2D1DCRenderTarget* target = ReadyToDraw() ? GetRenderTarget() : nullptr;
  RECT client;
  GetClientRect(hwnd, &client);
  if (target && SUCCEEDED(target->BindDC(paint.hdc, &client))) {
    target->BeginDraw();
    const RectF painted = ToRectF(paint.rcPaint);
    const float scale = static_cast<float>(dpi) / kSkinDpi;
    Draw(target, {painted.left / scale, painted.top / scale, painted.right / scale, painted.bottom / scale});
    FinishDraw(target->EndDraw());
  }
  EndPaint(hwnd, &paint);
}

void cWindow::FinishDraw(HRESULT endDrawResult) {
  if (endDrawResult == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) {
    // A device lost to a display or driver change: one report per paint
    // would follow forever. Everything made on the target goes with it.
    DropDeviceResources();
    deviceResourcesMade = false;
    renderTarget.Reset();
    Invalidate();
    return;
  }
  if (FAILED(endDrawResult) && application) application->NotifyUser("error", platform::kMbIconWarning);
}

LRESULT CALLBACK cWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    // A borderless window gets WM_NCCALCSIZE before WM_CREATE: bind first.
    auto* created = static_cast<cWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    if (created) created->hwnd = window;
  }
  cWindow* self = reinterpret_cast<cWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self) {
    if (const std::optional<LRESULT> result = self->OnMessage(window, message, wParam, lParam)) return *result;
  }
  switch (message) {
    case WM_CLOSE:
      // Only OnClose may destroy a window.
      if (self) self->OnClose();
      return 0;
    case WM_ERASEBKGND:
      return 0;  // Direct2D repaints the whole client area
    case WM_NCDESTROY:
      if (self) self->hwnd = nullptr;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && self) self->OnClose();
      break;
    case WM_GETOBJECT:
      if (self && self->AccessibleRole() && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        return AnswerGetObject(window, wParam, self->AccessibleRole());
      }
      break;
    case kAccessibleStateMessage:
      return self ? self->AccessibleState() : 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
