#include "ui/window_session.h"

#include "platform/resource_windows.h"
#include "resources/resource_ids.h"
#include "ui/window.h"

namespace {

cWindowSession* current = nullptr;

void RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = cWindow::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(RESOURCE_ICON));
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = cWindow::kClassName;
  RegisterClassExA(&windowClass);
}

}  // namespace

cWindowSession::cWindowSession(HINSTANCE instance) : instance_(instance) {
  DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                      reinterpret_cast<IUnknown**>(textFactory_.GetAddressOf()));
  D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, drawingFactory_.GetAddressOf());
  // The first-generation imaging factory: the only one older systems have.
  CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                   IID_PPV_ARGS(imagingFactory_.GetAddressOf()));
  RegisterWindowClass(instance_);
  current = this;
}

cWindowSession::~cWindowSession() {
  current = nullptr;
  UnregisterClassA(cWindow::kClassName, instance_);
  // The members follow: the background and the imaging factory are COM
  // objects, released while the thread's COM still is (cOleSession).
}

cWindowSession* cWindowSession::Current() { return current; }

ComPtr<IWICBitmapSource> cWindowSession::DecodeImage(int id) {
  ComPtr<IStream> stream = platform::OpenResourceStream(static_cast<WORD>(id));
  if (!stream || !imagingFactory_) return nullptr;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(imagingFactory_->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                                      decoder.GetAddressOf())) ||
      FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
      FAILED(imagingFactory_->CreateFormatConverter(converter.GetAddressOf())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeMedianCut))) {
    return nullptr;
  }
  return converter;
}

IWICBitmapSource* cWindowSession::Background(int imageScale) {
  ComPtr<IWICBitmap>& background = backgrounds_[imageScale == 2 ? 1 : 0];
  if (!background) {
    // Decoded into memory once: each window's bitmap is then a copy of these
    // pixels, made again only when its render target is lost.
    ComPtr<IWICBitmapSource> decoded = DecodeImage(imageScale == 2 ? RESOURCE_BACKGROUND_2X : RESOURCE_BACKGROUND);
    if (decoded) {
      imagingFactory_->CreateBitmapFromSource(decoded.Get(), WICBitmapCacheOnLoad, background.GetAddressOf());
    }
  }
  return background.Get();
}
