// The command row: the events that move it, the buttons each situation
// enables, and the focus order over them.

#include <gtest/gtest.h>

#include <string>

#include "ui/command_row.h"

TEST(CommandRow, StatesAndTransitions) {
  struct Case {
    CommandRow from;
    RowEvent event;
    CommandRow to;
    const char* states;  // launch start pause cancel folder: E enabled, D disabled
  } cases[] = {
      {CommandRow::kReady, RowEvent::kStart, CommandRow::kDownloading, "DDEED"},
      {CommandRow::kReady, RowEvent::kStartRefused, CommandRow::kReady, "DEDEE"},
      {CommandRow::kDownloading, RowEvent::kPause, CommandRow::kPaused, "DEDEE"},
      {CommandRow::kPaused, RowEvent::kStart, CommandRow::kDownloading, "DDEED"},
      {CommandRow::kPaused, RowEvent::kStartRefused, CommandRow::kPaused, "DEDEE"},
      {CommandRow::kDownloading, RowEvent::kCompleted, CommandRow::kFinished, "EDDED"},
      // Files missing: back where Pause leaves the player, never Launch.
      {CommandRow::kDownloading, RowEvent::kIncomplete, CommandRow::kPaused, "DEDEE"},
  };
  for (const Case& c : cases) {
    const CommandRow next = NextRow(c.from, c.event);
    EXPECT_EQ(next, c.to) << static_cast<int>(c.from) << " + " << static_cast<int>(c.event);
    const RowStates s = StatesOf(next);
    std::string got;
    for (ButtonState b : {s.launch, s.start, s.pause, s.cancel, s.folder}) got += b == Normal ? 'E' : 'D';
    EXPECT_EQ(got, c.states);
  }
}

// Tab and Shift+Tab over the row's real situations (Pause disabled by its
// own press included), folder launch start pause cancel: E enabled, D
// disabled.
TEST(CommandRow, FocusMovesOverTheEnabledButtonsInRowOrder) {
  struct Case {
    const char* states;
    RowButton from;
    bool backward;
    RowButton to;
  } cases[] = {
      {"EDEDE", kStartButton, false, kCancelButton},    // Ready: Pause and Play skipped
      {"EDEDE", kCancelButton, false, kFolderButton},   // around the end
      {"EDEDE", kFolderButton, true, kCancelButton},    // around the start
      {"EDEDE", kStartButton, true, kFolderButton},
      {"DDDEE", kStartButton, false, kPauseButton},     // Downloading: from a Start just pressed
      {"DDDEE", kPauseButton, true, kCancelButton},
      {"DEDDE", kLaunchButton, false, kCancelButton},   // Finished
      {"DEDDE", kCancelButton, false, kLaunchButton},
      {"EDEDE", kPauseButton, true, kStartButton},      // Paused, from the Pause just pressed
      {"DDDDE", kCancelButton, false, kCancelButton},   // nothing else to go to
      {"DDDDE", kStartButton, true, kCancelButton},
  };
  for (const Case& c : cases) {
    ButtonState states[kRowButtonCount];
    for (int i = 0; i < kRowButtonCount; ++i) states[i] = c.states[i] == 'E' ? Normal : Disabled;
    EXPECT_EQ(NextFocus(states, c.from, c.backward), c.to)
        << c.states << " from " << c.from << (c.backward ? " backward" : " forward");
  }
  // Over and Down are enabled too.
  const ButtonState pointed[kRowButtonCount] = {Over, Disabled, Down, Disabled, Normal};
  EXPECT_EQ(NextFocus(pointed, kCancelButton, false), kFolderButton);
  EXPECT_EQ(NextFocus(pointed, kCancelButton, true), kStartButton);
}
