#pragma once
// What a screen reader learns of the skinned windows. They are windows of
// the program's own class, which the system's accessibility cannot know: a
// button would be a nameless "client". Each of them that has a role answers
// WM_GETOBJECT for its client area with the system's standard client object
// (CreateStdAccessibleObject: place, focus, visibility, navigation) seen
// through a thin object of ours that gives it the window's role, the
// window's text as its name, and the state only the window knows (a skinned
// button is disabled by its picture, not by the system). The standard
// object of a button class (CreateStdAccessibleProxy) would read the
// disabled state from WS_DISABLED, which takes the mouse and the focus from
// the button, and Wine 8 does not have it (its stub ends the program).

#include <windows.h>

// Sent by the accessible object to its window: the STATE_SYSTEM_* bits of
// the window's own (STATE_SYSTEM_UNAVAILABLE for a disabled button). A
// private message of the program's window class.
constexpr UINT kAccessibleStateMessage = WM_USER + 0x40;

// The answer to WM_GETOBJECT(`flags`, OBJID_CLIENT) for `window`, presented
// as `role` (ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_STATICTEXT): a push button's
// default action, "Press", posts it BM_CLICK. 0 when the system's object
// cannot be made (the caller then makes its own, as without an answer).
LRESULT AnswerGetObject(HWND window, WPARAM flags, long role);
