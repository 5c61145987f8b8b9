#pragma once
// The skinned button's state machine, apart from any window: which image a
// button shows and what it asks of the system as the mouse moves, presses
// and releases over it.

// Also the index of the image shown: the images of a button are its
// resources base + state.
enum ButtonState : int { Normal = 0, Over = 1, Down = 2, Disabled = 3 };

enum class ButtonEvent {
  kMoveHeld,  // the mouse moved with the left button held
  kMove,      // the mouse moved, left button up
  kHover,     // the hover notice (the pointer rested on the button)
  kLeave,     // the leave notice
  kPress,     // left button down
  kRelease,   // left button up
};

// What one event does. The actions run in the order of the fields: tracking
// is asked for before the state changes, the capture is released before the
// click test.
struct ButtonStep {
  ButtonState next;     // the state afterwards (the same state: nothing to repaint)
  bool trackMouse;      // ask for hover and leave notices
  bool capture;         // capture the mouse
  bool releaseCapture;  // release the capture
  bool clickTest;       // test the release point; inside runs the command
};

ButtonStep NextButtonStep(ButtonState state, ButtonEvent event);

// The click test of a release: `x` and `y` are the signed 16-bit client
// coordinates of the release. A point on the right or bottom edge (x equal
// to the width) still counts: a release there is on the button's border.
bool IsClickInside(int x, int y, int width, int height);
