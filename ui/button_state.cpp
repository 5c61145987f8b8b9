#include "ui/button_state.h"

ButtonStep NextButtonStep(ButtonState state, ButtonEvent event) {
  ButtonStep step{state, false, false, false, false};
  // A disabled button ignores the mouse; only a release lets the capture go.
  if (state == Disabled) {
    step.releaseCapture = event == ButtonEvent::kRelease;
    return step;
  }
  switch (event) {
    case ButtonEvent::kMoveHeld:
      if (state != Down) step = {Down, true, false, false, false};
      break;
    case ButtonEvent::kMove:
      if (state != Over) step = {Over, true, false, false, false};
      break;
    case ButtonEvent::kHover:
      if (state != Over) step.next = Over;
      break;
    case ButtonEvent::kLeave:
      if (state != Normal) step.next = Normal;
      break;
    case ButtonEvent::kPress:
      // A second press while down does not capture again.
      if (state != Down) step = {Down, false, true, false, false};
      break;
    case ButtonEvent::kRelease:
      step.releaseCapture = true;
      if (state == Down) {
        step.next = Over;
        step.clickTest = true;
      }
      break;
  }
  return step;
}

bool IsClickInside(int x, int y, int width, int height) { return x >= 0 && y >= 0 && x <= width && y <= height; }
