#include "ui/taskbar_progress.h"

TaskbarProgress TaskbarProgressOf(CommandRow row, bool filesMissing, int rate) {
  const int shown = rate < 0 ? 0 : rate > 10000 ? 10000 : rate;
  switch (row) {
    case CommandRow::kDownloading: return {TaskbarState::kNormal, shown};
    // An incomplete run leaves the row where Pause does: the button tells
    // the two apart.
    case CommandRow::kPaused: return {filesMissing ? TaskbarState::kError : TaskbarState::kPaused, shown};
    case CommandRow::kReady:
    case CommandRow::kFinished: break;
  }
  return {TaskbarState::kNoProgress, 0};
}
