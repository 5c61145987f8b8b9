// The command row: the events that move it, and the buttons each situation enables.

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
