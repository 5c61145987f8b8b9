#include "ui/context_menu.h"

#include <shellapi.h>

#include <cstdio>

#include "platform/message_box.h"
#include "platform/owned_menu.h"
#include "ui/application_link.h"
#include "ui/buttons.h"
#include "ui/speed_choices.h"

namespace {

// The items' commands: a speed choice is kFirstSpeedCommand + its index.
const UINT kFirstSpeedCommand = 100;
const UINT kVerifyCommand = 200;
const UINT kOpenFolderCommand = 201;

using platform::OwnedMenu;

// The speed limits, the current one checked (none when the limit is no
// choice of the menu's).
OwnedMenu MakeSpeedMenu(int64_t limit) {
  OwnedMenu speeds(CreatePopupMenu());
  if (!speeds) return nullptr;
  for (int i = 0; i < kSpeedChoiceCount; ++i) {
    AppendMenuA(speeds.get(), MF_STRING, kFirstSpeedCommand + i, kSpeedChoices[i].label);
  }
  const int chosen = SpeedChoiceOf(limit);
  if (chosen >= 0) {
    CheckMenuRadioItem(speeds.get(), kFirstSpeedCommand, kFirstSpeedCommand + kSpeedChoiceCount - 1,
                       kFirstSpeedCommand + chosen, MF_BYCOMMAND);
  }
  return speeds;
}

OwnedMenu MakeMenu(cApplicationLink& application) {
  OwnedMenu menu(CreatePopupMenu());
  OwnedMenu speeds = MakeSpeedMenu(application.SpeedLimit());
  if (!menu || !speeds) return nullptr;
  if (!AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(speeds.get()), "Limit download speed")) {
    return nullptr;
  }
  speeds.release();  // the menu destroys its submenu
  AppendMenuA(menu.get(), MF_STRING | (application.DownloadRunning() ? MF_GRAYED : 0), kVerifyCommand,
              "Verify and repair files");
  AppendMenuA(menu.get(), MF_STRING, kOpenFolderCommand, "Open download folder");
  return menu;
}

void OpenDownloadFolder(HWND owner, cApplicationLink& application) {
  const char* folder = application.DownloadFolder();
  // The shell's result is a number above 32 when it opened the folder.
  const HINSTANCE opened = ShellExecuteA(owner, "open", folder, nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(opened) > 32) return;
  char text[512];
  std::snprintf(text, sizeof text, "The download folder cannot be opened:\n%.300s", folder);
  application.NotifyUser(text, platform::kMbIconWarning);
}

}  // namespace

void RunContextMenu(HWND owner, POINT screenPoint, cApplicationLink& application) {
  const OwnedMenu menu = MakeMenu(application);
  if (!menu) return;
  const UINT command = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                        screenPoint.x, screenPoint.y, 0, owner, nullptr));
  if (command >= kFirstSpeedCommand && command < kFirstSpeedCommand + kSpeedChoiceCount) {
    application.SetSpeedLimit(kSpeedChoices[command - kFirstSpeedCommand].bytesPerSecond);
  } else if (command == kVerifyCommand) {
    StartIfThereIsRoom(application, owner, true);
  } else if (command == kOpenFolderCommand) {
    OpenDownloadFolder(owner, application);
  }
}
