#pragma once
// What the window's taskbar button shows of the download: the progress
// while downloading, held while paused, the error state once a run ended
// with files missing, and nothing before a download and once it finished.

#include "ui/command_row.h"

enum class TaskbarState { kNoProgress, kNormal, kPaused, kError };

struct TaskbarProgress {
  TaskbarState state;
  int rate;  // hundredths of a percent, 0 to 10000; 0 without progress
};

// The button for the row, the ending of the last run (`filesMissing`: it
// ended incomplete) and the bar's `rate`, which is kept within 0 to 10000.
TaskbarProgress TaskbarProgressOf(CommandRow row, bool filesMissing, int rate);
