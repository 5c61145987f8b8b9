#pragma once
// The DPI a window is drawn at: its monitor's, as the system tells a
// per-monitor aware program, or the system's where there is no such call.

#include <windows.h>

// Sent to a per-monitor aware top-level window whose DPI changed (moved to
// another monitor, or the scale changed); older headers lack it.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

int WindowDpi(HWND window);
