#pragma once
// cButton: a push button drawn from four embedded JPEG images, one per state
// (Normal, Over, Down, Disabled at resources base + 0 to 3). It follows the
// mouse itself and runs its command, OnExecute, when a press that began on
// it is released over it. No text, no keyboard, no focus drawing.

#include "ui/button_state.h"
#include "ui/window.h"

class cJson;

class cButton : public cWindow {
 public:
  explicit cButton(int firstImageResource);

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // The command.
  virtual void OnExecute() = 0;

  // Reads "button" / `key`: position and the four image members.
  bool LoadConfig(cJson& ux, const char* key);
  // Makes the system window: a 20 by 20 tab-stop child of `parentHwnd` that
  // WM_CREATE then sizes to its image. Hidden, updated, then shown.
  void CreateButtonWindow();

  // Puts the window at (x, y) with the size of its Normal image, at its DPI.
  void Place();

  // Enabling sets Normal, disabling Disabled; both repaint.
  void SetState(ButtonState newState);

  ButtonState state;
  int resourceBase;

 protected:
  // The four images, made from the resources.
  bool MakeDeviceResources() override;
  void DropDeviceResources() override;
  // A button without its first image draws nothing.
  bool ReadyToDraw() override;
  // The image of the current state.
  void Draw(ID2D1RenderTarget* target, const RectF& part) override;

 private:
  // Made on the button's render target, indexed by state.
  struct DeviceResources {
    ComPtr<ID2D1Bitmap> images[4];
  };

  // WM_CREATE: loads the four images and places the window at (x, y) with
  // the size of its Normal image.
  void OnCreate();
  // Runs one event of the state machine.
  void Handle(ButtonEvent event, LPARAM lParam);

  DeviceResources device;
};
