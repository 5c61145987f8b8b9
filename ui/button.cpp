#include "ui/button.h"

#include <oleacc.h>

#include "ui/application_link.h"
#include "ui/skin.h"

namespace {

// The hover notice comes after the pointer has rested this long: ten times
// the system's default of 400 ms. The notice only has to catch a pointer that
// came to rest without a move (a move shows Over at once); it also ends a
// press held still that long (Down turns back to Over, and the release runs
// no command), which a shorter time would do to an ordinary slow click.
const DWORD kHoverMs = 3333;

}  // namespace

cButton::cButton(int firstImageResource, const char* buttonLabel)
    : state(Normal), resourceBase(firstImageResource), label(buttonLabel) {}

bool cButton::LoadConfig(cJson& ux, const char* key) { return ReadButtonSkin(ux, key, &x, &y); }

void cButton::CreateButtonWindow() {
  if (CreateSystemWindow(WS_CHILD | WS_TABSTOP, ToPixels(x), ToPixels(y), ToPixels(20), ToPixels(20), label)) {
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);
  }
  if (hwnd) ShowWindow(hwnd, SW_SHOW);
}

void cButton::SetState(ButtonState newState) {
  // A screen reader hears of the button becoming available or not.
  const bool availabilityChanges = (newState == Disabled) != (state == Disabled);
  state = newState;
  Invalidate();
  if (hwnd && availabilityChanges) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

bool cButton::MakeDeviceResources() {
  for (int s = 0; s < 4; ++s) device.images[s] = LoadBitmapFromResource(resourceBase + s);
  return device.images[0] != nullptr;
}

void cButton::DropDeviceResources() { device = {}; }

bool cButton::ReadyToDraw() { return device.images[0] != nullptr; }

bool cButton::ShowsFocus() const {
  return GetFocus() == hwnd && !(SendMessageA(parentHwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void cButton::Draw(ID2D1RenderTarget* target, const RectF&) {
  // The Over image is the focus mark: the artwork's own, crisp at every
  // scale, and already what the pointer on a button means.
  const ButtonState shown = state == Normal && ShowsFocus() ? Over : state;
  if (ID2D1Bitmap* image = device.images[shown].Get()) {
    // The image's own size, in device-independent pixels, at the origin.
    const D2D1_SIZE_F size = image->GetSize();
    DrawImage(target, image, D2D1::RectF(0, 0, size.width, size.height), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
  }
}

void cButton::OnCreate() {
  PrepareDeviceResources();
  if (!device.images[0]) return;
  const D2D1_SIZE_F size = device.images[0]->GetSize();
  width = static_cast<int>(size.width);
  height = static_cast<int>(size.height);
  Place();
}

void cButton::Place() {
  if (hwnd) SetWindowPos(hwnd, nullptr, ToPixels(x), ToPixels(y), ToPixels(width), ToPixels(height), SWP_SHOWWINDOW);
}

void cButton::Handle(ButtonEvent event, LPARAM lParam) {
  const ButtonStep step = NextButtonStep(state, event);
  if (step.trackMouse) {
    TRACKMOUSEEVENT tracking = {sizeof tracking, TME_HOVER | TME_LEAVE, hwnd, kHoverMs};
    TrackMouseEvent(&tracking);
  }
  if (step.capture) SetCapture(hwnd);
  if (step.releaseCapture) ReleaseCapture();
  if (step.next != state) SetState(step.next);
  if (!step.clickTest) return;
  RECT bounds;
  GetWindowRect(hwnd, &bounds);
  const int releaseX = static_cast<short>(LOWORD(lParam));
  const int releaseY = static_cast<short>(HIWORD(lParam));
  if (IsClickInside(releaseX, releaseY, bounds.right - bounds.left, bounds.bottom - bounds.top)) OnExecute();
}

bool cButton::OnKeyDown(WPARAM key, bool repeated) {
  // Whatever the key, the player uses the keyboard: focus marks show.
  SendMessageA(parentHwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  switch (key) {
    case VK_TAB:
      SendMessageA(parentHwnd, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0, FALSE);
      return true;
    case VK_RETURN:
    case VK_SPACE:
      // A key held down runs the command once.
      if (!repeated && state != Disabled) OnExecute();
      return true;
    case VK_ESCAPE:
      if (application) application->AskToClose();
      return true;
  }
  return false;
}

long cButton::AccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }

long cButton::AccessibleState() const { return state == Disabled ? STATE_SYSTEM_UNAVAILABLE : 0; }

std::optional<LRESULT> cButton::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_MOUSEMOVE: Handle((wParam & MK_LBUTTON) ? ButtonEvent::kMoveHeld : ButtonEvent::kMove, lParam); return 0;
    case WM_LBUTTONDOWN: Handle(ButtonEvent::kPress, lParam); return 0;
    case WM_LBUTTONUP: Handle(ButtonEvent::kRelease, lParam); return 0;
    case WM_MOUSEHOVER: Handle(ButtonEvent::kHover, lParam); return 0;
    case WM_MOUSELEAVE: Handle(ButtonEvent::kLeave, lParam); return 0;
    case WM_KEYDOWN:
      // Bit 30: the key was down before, a repeat.
      if (OnKeyDown(wParam, (lParam & (1 << 30)) != 0)) return 0;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      Invalidate();  // the focus mark comes or goes
      return 0;
    case BM_CLICK:
      if (state != Disabled) OnExecute();
      return 0;
  }
  return std::nullopt;
}
