#pragma once
// The window's context menu, the Windows way for a borderless window: a
// right click on the background or the panel, Shift+F10 and the menu key
// open it (the main window routes them here). It offers
//   "Limit download speed" > the choices of ui/speed_choices.h, the current
//       one checked;
//   "Verify and repair files", enabled while no run is active: Start's
//       checks, then a run that reads and checks every file;
//   "Open download folder", in the shell's file browser.

#include <windows.h>

class cApplicationLink;

// Shows the menu at `screenPoint` for `owner` (the main window), waits for
// the player's choice and runs it through `application`.
void RunContextMenu(HWND owner, POINT screenPoint, cApplicationLink& application);
