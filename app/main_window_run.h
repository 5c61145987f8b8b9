#pragma once
// The main window's part of the main sequence: create the main window object
// and its window, show it, set its title from "window-title" and pump
// messages until the window is destroyed.

class cJson;

// Returns the process exit code: the quit message's code, or 0 when the
// window cannot be created or the document has no "window-title".
int RunMainWindow(cJson& uxDocument);
