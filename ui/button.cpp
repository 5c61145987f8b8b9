#include "ui/button.h"

#include "ui/skin.h"

namespace {

// The hover notice comes after the pointer has rested this long.
const DWORD kHoverMs = 3333;

}  // namespace

cButton::cButton(int firstImageResource) : state(Normal), resourceBase(firstImageResource) {}

bool cButton::LoadConfig(cJson& ux, const char* key) { return ReadButtonSkin(ux, key, &x, &y); }

void cButton::CreateButtonWindow() {
  if (CreateSystemWindow(WS_CHILD | WS_TABSTOP, x, y, 20, 20)) {
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);
  }
  if (hwnd) ShowWindow(hwnd, SW_SHOW);
}

void cButton::SetState(ButtonState newState) {
  state = newState;
  Invalidate();
}

void cButton::LoadImages() {
  for (int s = 0; s < 4; ++s) bitmaps[s] = LoadBitmapFromResource(resourceBase + s);
}

void cButton::DiscardDeviceResources() {
  for (ComPtr<ID2D1Bitmap>& bitmap : bitmaps) bitmap.Reset();
}

void cButton::OnCreate() {
  LoadImages();
  if (!bitmaps[0]) return;
  const D2D1_SIZE_F size = bitmaps[0]->GetSize();
  width = static_cast<int>(size.width);
  height = static_cast<int>(size.height);
  SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_SHOWWINDOW);
}

void cButton::OnPaint() {
  // Images lost with the device are made again at the next paint.
  if (!bitmaps[0]) LoadImages();
  PAINTSTRUCT paint;
  if (!bitmaps[0]) {
    // A button without its images draws nothing.
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
    return;
  }
  ID2D1RenderTarget* target = BeginPainting(&paint);
  if (target && bitmaps[state]) {
    target->DrawBitmap(bitmaps[state].Get(), nullptr, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
  }
  EndPainting(&paint, target);
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

LRESULT cButton::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: OnCreate(); break;
    case WM_PAINT: OnPaint(); break;
    case WM_MOUSEMOVE: Handle((wParam & MK_LBUTTON) ? ButtonEvent::kMoveHeld : ButtonEvent::kMove, lParam); break;
    case WM_LBUTTONDOWN: Handle(ButtonEvent::kPress, lParam); break;
    case WM_LBUTTONUP: Handle(ButtonEvent::kRelease, lParam); break;
    case WM_MOUSEHOVER: Handle(ButtonEvent::kHover, lParam); break;
    case WM_MOUSELEAVE: Handle(ButtonEvent::kLeave, lParam); break;
  }
  return 0;
}
