#include "ui/window.h"

#include "platform/message_box.h"
#include "platform/resource_windows.h"
#include "resources/resource_ids.h"
#include "ui/application_link.h"
#include "ui/areas.h"

namespace {

const char kClassName[] = "base-window-class";

// Made before the program's entry runs and kept until the process ends: the
// one text factory every window shares.
ComPtr<IDWriteFactory> MakeTextFactory() {
  ComPtr<IDWriteFactory> factory;
  DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                      reinterpret_cast<IUnknown**>(factory.GetAddressOf()));
  return factory;
}
ComPtr<IDWriteFactory> dwriteFactory = MakeTextFactory();

// Made by the first window object, released by the last.
ComPtr<ID2D1Factory> d2dFactory;
ComPtr<IWICImagingFactory> wicFactory;
int windowCount = 0;

// The program's own module: the process entry's instance.
HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

void RegisterWindowClass() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = cWindow::WindowProc;
  windowClass.hInstance = Instance();
  windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(RESOURCE_ICON));
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassExA(&windowClass);
}

}  // namespace

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

cWindow::cWindow() : hwnd(nullptr), parentHwnd(nullptr), x(0), y(0), width(0), height(0), application(nullptr) {
  if (windowCount == 0) {
    CoInitialize(nullptr);
    D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, d2dFactory.ReleaseAndGetAddressOf());
    // The first-generation imaging factory: the only one older systems have.
    CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                     IID_PPV_ARGS(wicFactory.ReleaseAndGetAddressOf()));
    RegisterWindowClass();
  }
  ++windowCount;
}

cWindow::~cWindow() {
  // A window that outlives its object must not reach it any more.
  if (hwnd) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  renderTarget.Reset();
  if (--windowCount == 0) {
    UnregisterClassA(kClassName, Instance());
    d2dFactory.Reset();
    wicFactory.Reset();
    CoUninitialize();
  }
}

void cWindow::OnClose() {}

HWND cWindow::CreateSystemWindow(DWORD style, int left, int top, int windowWidth, int windowHeight) {
  return CreateWindowExA(0, kClassName, "no-name", style, left, top, windowWidth, windowHeight, parentHwnd, nullptr,
                         Instance(), this);
}

ID2D1DCRenderTarget* cWindow::GetRenderTarget() {
  if (!renderTarget && d2dFactory) {
    // A DC target needs its pixel format spelled out. 96 DPI keeps one
    // device-independent pixel to one pixel: the skin's geometry is in
    // pixels, and the program leaves any scaling to the system.
    const D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), 96.0f,
        96.0f);
    d2dFactory->CreateDCRenderTarget(&properties, renderTarget.GetAddressOf());
  }
  return renderTarget.Get();
}

void cWindow::Invalidate() {
  if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

ComPtr<ID2D1Bitmap> cWindow::LoadBitmapFromResource(int id) {
  ComPtr<IStream> stream = platform::OpenResourceStream(static_cast<WORD>(id));
  ID2D1RenderTarget* target = GetRenderTarget();
  if (!stream || !wicFactory || !target) return nullptr;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  ComPtr<ID2D1Bitmap> bitmap;
  if (FAILED(wicFactory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                                 decoder.GetAddressOf())) ||
      FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
      FAILED(wicFactory->CreateFormatConverter(converter.GetAddressOf())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeMedianCut)) ||
      FAILED(target->CreateBitmapFromWicBitmap(converter.Get(), nullptr, bitmap.GetAddressOf()))) {
    return nullptr;
  }
  return bitmap;
}

void cWindow::Invalidate(const RectF& part) {
  if (!hwnd || IsEmpty(part)) return;
  const RectF whole = WholePixels(part);
  const RECT pixels = {static_cast<LONG>(whole.left), static_cast<LONG>(whole.top), static_cast<LONG>(whole.right),
                       static_cast<LONG>(whole.bottom)};
  InvalidateRect(hwnd, &pixels, FALSE);
}

ComPtr<IDWriteTextLayout> cWindow::MakeTextLayout(const WideChar* text, IDWriteTextFormat* format, const RectF& rect) {
  ComPtr<IDWriteTextLayout> layout;
  if (dwriteFactory && format) {
    const float width = rect.right > rect.left ? rect.right - rect.left : 0.0f;
    const float height = rect.bottom > rect.top ? rect.bottom - rect.top : 0.0f;
    dwriteFactory->CreateTextLayout(text, static_cast<UINT32>(wcslen(text)), format, width, height,
                                    layout.GetAddressOf());
  }
  return layout;
}

ComPtr<IDWriteTextFormat> cWindow::MakeTextFormat(const WideChar* family, float size) {
  ComPtr<IDWriteTextFormat> format;
  if (dwriteFactory) {
    dwriteFactory->CreateTextFormat(family, nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL,
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

LRESULT cWindow::DragParentOnHitTest(LPARAM screenPoint) {
  if (GetAsyncKeyState(VK_LBUTTON) < 0) SendMessageA(parentHwnd, WM_NCLBUTTONDOWN, HTCAPTION, screenPoint);
  return HTCLIENT;
}

ID2D1RenderTarget* cWindow::BeginPainting(PAINTSTRUCT* paint) {
  BeginPaint(hwnd, paint);
  ID2D1DCRenderTarget* target = GetRenderTarget();
  RECT client;
  GetClientRect(hwnd, &client);
  if (!target || FAILED(target->BindDC(paint->hdc, &client))) return nullptr;
  target->BeginDraw();
  return target;
}

void cWindow::EndPainting(PAINTSTRUCT* paint, ID2D1RenderTarget* target) {
  if (target) FinishDraw(target->EndDraw());
  EndPaint(hwnd, paint);
}

void cWindow::FinishDraw(HRESULT endDrawResult) {
  if (endDrawResult == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) {
    // A device lost to a display or driver change: one report per paint
    // would follow forever. Everything made on the target goes with it.
    DiscardDeviceResources();
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
    const LRESULT handled = self->OnMessage(window, message, wParam, lParam);
    if (handled) return handled;
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
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
