#pragma once
// cButton: a push button drawn from four embedded JPEG images, one per state
// (Normal, Over, Down, Disabled at resources base + 0 to 3). It follows the
// mouse itself and runs its command, OnExecute, when a press that began on
// it is released over it.
//
// The keyboard: while it has the focus, Enter and Space run its command
// (unless it is Disabled), Tab and Shift+Tab ask the main window to move the
// focus on (WM_NEXTDLGCTL), and Escape asks to close, as on the main window.
// Its focus shows, as the Over image, once the player has used the keyboard:
// every key tells the main window to clear UISF_HIDEFOCUS (WM_CHANGEUISTATE),
// which then sends WM_UPDATEUISTATE, and the button asks it for the state
// (WM_QUERYUISTATE) when it draws. A window opened with the mouse keeps its
// pictures until then.
//
// Its window text is its label, and a screen reader meets a push button
// (ui/accessible.h) that is unavailable while Disabled; BM_CLICK presses it.

#include "ui/button_state.h"
#include "ui/window.h"

class cJson;

class cButton : public cWindow {
 public:
  cButton(int firstImageResource, const char* label);

  std::optional<LRESULT> OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // The command.
  virtual void OnExecute() = 0;

  // Reads "button" / `key`: position and the four image members.
  bool LoadConfig(cJson& ux, const char* key);
  // Makes the system window: a 20 by 20 tab-stop child of `parentHwnd`
  // named by its label, that WM_CREATE then sizes to its image. Hidden,
  // updated, then shown.
  void CreateButtonWindow();

  // Puts the window at (x, y) with the size of its Normal image, at its DPI.
  void Place();

  // Enabling sets Normal, disabling Disabled; both repaint, and a change
  // between the two is announced (EVENT_OBJECT_STATECHANGE).
  void SetState(ButtonState newState);

  ButtonState state;
  int resourceBase;
  const char* label;

 protected:
  // The four images, made from the resources.
  bool MakeDeviceResources() override;
  void DropDeviceResources() override;
  // A button without its first image draws nothing.
  bool ReadyToDraw() override;
  // The image of the current state; Over for a Normal button that shows
  // its focus.
  void Draw(ID2D1RenderTarget* target, const RectF& part) override;
  long AccessibleRole() const override;
  long AccessibleState() const override;

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
  // A key pressed while the button has the focus; false for the keys it
  // leaves to the system (the menu key, ...). `repeated`: held down.
  bool OnKeyDown(WPARAM key, bool repeated);
  // Whether it has the focus and the main window shows focus marks.
  bool ShowsFocus() const;

  DeviceResources device;
};
