#pragma once
// The command row as a small state machine over the download: which of the
// five buttons accept clicks before a download, while downloading, paused
// and finished, and what moves the row from one situation to another.

#include "ui/button_state.h"

enum class CommandRow { kReady, kDownloading, kPaused, kFinished };

enum class RowEvent {
  kStart,         // Start with enough space: a manager runs
  kStartRefused,  // Start refused (too little or unreadable space, size unknown)
  kPause,         // Pause: the manager is stopped
  kCompleted,     // the manager reports every file complete
  kIncomplete,    // the manager reports files missing
};

struct RowStates {
  ButtonState launch, start, pause, cancel, folder;
};

RowStates StatesOf(CommandRow row);
CommandRow NextRow(CommandRow row, RowEvent event);

// The buttons in the row's order, left to right: the keyboard's order.
enum RowButton { kFolderButton, kLaunchButton, kStartButton, kPauseButton, kCancelButton, kRowButtonCount };

// Where Tab (Shift+Tab: `backward`) takes the focus from `current`: the
// next button in row order, around the ends, that is not Disabled;
// `current` itself when no other one is enabled.
RowButton NextFocus(const ButtonState (&states)[kRowButtonCount], RowButton current, bool backward);
