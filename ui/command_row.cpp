#include "ui/command_row.h"

RowStates StatesOf(CommandRow row) {
  switch (row) {
    case CommandRow::kReady:
    case CommandRow::kPaused: return {Disabled, Normal, Disabled, Normal, Normal};
    case CommandRow::kDownloading: return {Disabled, Disabled, Normal, Normal, Disabled};
    case CommandRow::kFinished: return {Normal, Disabled, Disabled, Normal, Disabled};
  }
  return {Disabled, Disabled, Disabled, Normal, Disabled};
}

CommandRow NextRow(CommandRow row, RowEvent event) {
  switch (event) {
    case RowEvent::kStart: return CommandRow::kDownloading;
    case RowEvent::kStartRefused: return row;
    case RowEvent::kPause: return CommandRow::kPaused;
    // Launch is only ever offered over a complete client; a run with files
    // missing leaves the player where Pause would, with Start to try again.
    case RowEvent::kCompleted: return CommandRow::kFinished;
    case RowEvent::kIncomplete: return CommandRow::kPaused;
  }
  return row;
}

RowButton NextFocus(const ButtonState (&states)[kRowButtonCount], RowButton current, bool backward) {
  const int step = backward ? kRowButtonCount - 1 : 1;
  for (int i = (current + step) % kRowButtonCount; i != current; i = (i + step) % kRowButtonCount) {
    if (states[i] != Disabled) return static_cast<RowButton>(i);
  }
  return current;
}
