#pragma once
// cWindowSession: what every window of the program shares, made once by
// whoever runs the windows, before their first system window, and released
// after the last window object: the window class "base-window-class" and the
// device-independent drawing resources, that is the Direct2D, DirectWrite and
// imaging factories and the background image, decoded once for the two
// windows that draw it (the main window and the panel's backdrop). COM must
// stay initialised on the thread meanwhile (cOleSession). One at a time, on
// the user-interface thread; the windows find it through Current().
//
// A factory that cannot be made stays null: the windows then draw nothing.

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>
#include <wrl/client.h>

template <class T>
using ComPtr = Microsoft::WRL::ComPtr<T>;

class cWindowSession {
 public:
  // `instance`: the program's module, which holds the icon and the images
  // and owns the window class.
  explicit cWindowSession(HINSTANCE instance);
  ~cWindowSession();
  cWindowSession(const cWindowSession&) = delete;
  cWindowSession& operator=(const cWindowSession&) = delete;

  // The session in force, or null outside one.
  static cWindowSession* Current();

  HINSTANCE Instance() const { return instance_; }
  ID2D1Factory* DrawingFactory() const { return drawingFactory_.Get(); }
  IDWriteFactory* TextFactory() const { return textFactory_.Get(); }

  // Embedded JPEG resource `id` decoded into the pixel format Direct2D
  // takes (32bppPBGRA); null when the resource is missing or does not decode.
  ComPtr<IWICBitmapSource> DecodeImage(int id);
  // The background of the image set at `imageScale` (1: RESOURCE_BACKGROUND,
  // 2: RESOURCE_BACKGROUND_2X), decoded at its first use and kept; null, and
  // tried again at the next call, when it does not decode.
  IWICBitmapSource* Background(int imageScale);

 private:
  HINSTANCE instance_;
  ComPtr<ID2D1Factory> drawingFactory_;
  ComPtr<IDWriteFactory> textFactory_;
  ComPtr<IWICImagingFactory> imagingFactory_;
  ComPtr<IWICBitmap> backgrounds_[2];  // by image scale - 1
};
