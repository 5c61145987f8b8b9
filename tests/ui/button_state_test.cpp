// The button's state machine: every state and event, and where a release
// counts as a click.

#include <gtest/gtest.h>

#include "ui/button_state.h"

TEST(ButtonStateMachine, EveryRowOfTheTable) {
  using E = ButtonEvent;
  struct Row {
    ButtonState from;
    E event;
    ButtonStep expected;
  };
  const Row rows[] = {
      // mouse moves with the left button held
      {Normal, E::kMoveHeld, {Down, true, false, false, false}},
      {Over, E::kMoveHeld, {Down, true, false, false, false}},
      {Down, E::kMoveHeld, {Down, false, false, false, false}},
      {Disabled, E::kMoveHeld, {Disabled, false, false, false, false}},
      // mouse moves, button up
      {Normal, E::kMove, {Over, true, false, false, false}},
      {Over, E::kMove, {Over, false, false, false, false}},
      {Down, E::kMove, {Over, true, false, false, false}},
      {Disabled, E::kMove, {Disabled, false, false, false, false}},
      // hover notice
      {Normal, E::kHover, {Over, false, false, false, false}},
      {Over, E::kHover, {Over, false, false, false, false}},
      {Down, E::kHover, {Over, false, false, false, false}},
      {Disabled, E::kHover, {Disabled, false, false, false, false}},
      // leave notice
      {Normal, E::kLeave, {Normal, false, false, false, false}},
      {Over, E::kLeave, {Normal, false, false, false, false}},
      {Down, E::kLeave, {Normal, false, false, false, false}},
      {Disabled, E::kLeave, {Disabled, false, false, false, false}},
      // left button down: a second press while down does not capture again
      {Normal, E::kPress, {Down, false, true, false, false}},
      {Over, E::kPress, {Down, false, true, false, false}},
      {Down, E::kPress, {Down, false, false, false, false}},
      {Disabled, E::kPress, {Disabled, false, false, false, false}},
      // left button up: only a release from Down may click
      {Normal, E::kRelease, {Normal, false, false, true, false}},
      {Over, E::kRelease, {Over, false, false, true, false}},
      {Down, E::kRelease, {Over, false, false, true, true}},
      {Disabled, E::kRelease, {Disabled, false, false, true, false}},
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
