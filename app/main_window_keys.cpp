// cWinMain's keyboard and context menu: the focus over the buttons, the
// window's keyboard cues, and what the menu asks of the application.

#include "app/app.h"
#include "app/main_window.h"
#include "app/player_settings.h"
#include "ui/context_menu.h"

bool cWinMain::DownloadRunning() { return row == CommandRow::kDownloading; }

int64_t cWinMain::SpeedLimit() { return theApp->speedLimit.load(); }

void cWinMain::SetSpeedLimit(int64_t bytesPerSecond) {
  theApp->speedLimit.store(bytesPerSecond);
  WriteSettingsFile();
}

void cWinMain::MoveFocus(bool backward) {
  ButtonState states[kRowButtonCount];
  RowButton current = focusButton;
  for (int i = 0; i < kRowButtonCount; ++i) {
    states[i] = rowOrder[i]->state;
    if (rowOrder[i]->hwnd && rowOrder[i]->hwnd == GetFocus()) current = static_cast<RowButton>(i);
  }
  focusButton = NextFocus(states, current, backward);
  SetFocus(rowOrder[focusButton]->hwnd);
}

void cWinMain::ChangeUiState(WPARAM change) {
  // UIS_INITIALIZE changes nothing: the cues stay hidden until a key is used.
  const unsigned before = uiState;
  if (LOWORD(change) == UIS_SET) uiState |= HIWORD(change);
  if (LOWORD(change) == UIS_CLEAR) uiState &= ~static_cast<unsigned>(HIWORD(change));
  if (uiState == before) return;
  for (cButton* button : rowOrder) {
    if (button->hwnd) SendMessageA(button->hwnd, WM_UPDATEUISTATE, change, 0);
  }
}

void cWinMain::OnContextMenu(LPARAM screenPoint) {
  POINT at = {static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
  RECT focused;
  if (screenPoint == -1 && GetWindowRect(rowOrder[focusButton]->hwnd, &focused)) at = {focused.left, focused.bottom};
  RunContextMenu(hwnd, at, *this);
}
