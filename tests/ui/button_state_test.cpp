// The button's state machine: every state and event, and where a click lands.

#include <gtest/gtest.h>

#include "ui/button_state.h"

TEST(ButtonStateMachine, EveryRowOfTheTable) {
  using E = ButtonEvent;
  const bool T = true, F = false;
  // The next state, then whether it tracks the mouse, captures it, releases it and tests for a click.
  const struct Row {
    ButtonState from;
    E event;
    ButtonStep expected;
  } rows[] = {
      // mouse moves with the left button held
      {Normal, E::kMoveHeld, {Down, T, F, F, F}}, {Over, E::kMoveHeld, {Down, T, F, F, F}},
      {Down, E::kMoveHeld, {Down, F, F, F, F}}, {Disabled, E::kMoveHeld, {Disabled, F, F, F, F}},
      // mouse moves, button up
      {Normal, E::kMove, {Over, T, F, F, F}}, {Over, E::kMove, {Over, F, F, F, F}},
      {Down, E::kMove, {Over, T, F, F, F}}, {Disabled, E::kMove, {Disabled, F, F, F, F}},
      // hover notice
      {Normal, E::kHover, {Over, F, F, F, F}}, {Over, E::kHover, {Over, F, F, F, F}},
      {Down, E::kHover, {Over, F, F, F, F}}, {Disabled, E::kHover, {Disabled, F, F, F, F}},
      // leave notice
      {Normal, E::kLeave, {Normal, F, F, F, F}}, {Over, E::kLeave, {Normal, F, F, F, F}},
      {Down, E::kLeave, {Normal, F, F, F, F}}, {Disabled, E::kLeave, {Disabled, F, F, F, F}},
      // left button down: a second press while down does not capture again
      {Normal, E::kPress, {Down, F, T, F, F}}, {Over, E::kPress, {Down, F, T, F, F}},
      {Down, E::kPress, {Down, F, F, F, F}}, {Disabled, E::kPress, {Disabled, F, F, F, F}},
      // left button up: only a release from Down may click
      {Normal, E::kRelease, {Normal, F, F, T, F}}, {Over, E::kRelease, {Over, F, F, T, F}},
      {Down, E::kRelease, {Over, F, F, T, T}}, {Disabled, E::kRelease, {Disabled, F, F, T, F}},
  };
  for (const Row& row : rows) {
    const ButtonStep step = NextButtonStep(row.from, row.event);
    SCOPED_TRACE(testing::Message() << "state " << row.from << ", event " << static_cast<int>(row.event));
    EXPECT_EQ(step.next, row.expected.next);
    EXPECT_EQ(step.trackMouse, row.expected.trackMouse);
    EXPECT_EQ(step.capture, row.expected.capture);
    EXPECT_EQ(step.releaseCapture, row.expected.releaseCapture);
    EXPECT_EQ(step.clickTest, row.expected.clickTest);
  }
}

TEST(ButtonStateMachine, ClickTestCountsTheRightAndBottomEdges) {
  struct Case {
    int x, y;
    bool click;
  } cases[] = {{0, 0, true}, {35, 15, true}, {70, 30, true}, {71, 30, false}, {70, 31, false},
               {-1, 10, false}, {10, -1, false}, {-300, -300, false}};
  for (const Case& c : cases) EXPECT_EQ(IsClickInside(c.x, c.y, 70, 30), c.click) << c.x << "," << c.y;
}
