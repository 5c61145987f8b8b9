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
