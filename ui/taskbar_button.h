#pragma once
// cTaskbarButton: the download's progress on the main window's taskbar
// button (ITaskbarList3). The taskbar announces each button it makes with
// the registered message "TaskbarButtonCreated"; only then is the list
// made, so where there is no taskbar (Wine without a window manager) nothing
// here does anything. On the user-interface thread.

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "ui/taskbar_progress.h"

class cTaskbarButton {
 public:
  cTaskbarButton();

  // The registered message the taskbar sends when it made the button.
  static UINT CreatedMessage();
  // The button of `window` exists (again, after an Explorer restart): the
  // list is made, and what was last asked for is shown.
  void OnCreated(HWND window);
  // Shows `progress`; only what changed reaches the taskbar.
  void Show(const TaskbarProgress& progress);

 private:
  void Send();

  Microsoft::WRL::ComPtr<ITaskbarList3> list;
  HWND window;
  TaskbarProgress wanted;
  TaskbarProgress shown;
  bool shownValid;
};
