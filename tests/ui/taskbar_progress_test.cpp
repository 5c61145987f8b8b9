// What the taskbar button shows in each situation of the command row.

#include <gtest/gtest.h>

#include "ui/taskbar_progress.h"

TEST(TaskbarProgress, EachRowAndEnding) {
  using S = TaskbarState;
  const struct Row {
    CommandRow row;
    bool filesMissing;
    int rate;
    TaskbarProgress expected;
  } rows[] = {
      {CommandRow::kReady, false, 0, {S::kNoProgress, 0}},
      {CommandRow::kDownloading, false, 4237, {S::kNormal, 4237}},
      {CommandRow::kDownloading, true, 12, {S::kNormal, 12}},  // a new run after an incomplete one
      {CommandRow::kDownloading, false, 10500, {S::kNormal, 10000}},  // more bytes than announced
      {CommandRow::kPaused, false, 2500, {S::kPaused, 2500}},
      {CommandRow::kPaused, true, 9990, {S::kError, 9990}},
      {CommandRow::kFinished, false, 10000, {S::kNoProgress, 0}},
  };
  for (const Row& r : rows) {
    const TaskbarProgress got = TaskbarProgressOf(r.row, r.filesMissing, r.rate);
    EXPECT_EQ(got.state, r.expected.state) << static_cast<int>(r.row) << " " << r.filesMissing;
    EXPECT_EQ(got.rate, r.expected.rate) << static_cast<int>(r.row) << " " << r.filesMissing;
  }
}
