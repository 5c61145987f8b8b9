#pragma once
// The download speed limits the window's menu offers, in its order, and
// which of them a limit is. MB and KB are 1,048,576 and 1,024 bytes, as the
// panel's speed counts them.

#include <cstdint>

struct SpeedChoice {
  const char* label;
  int64_t bytesPerSecond;  // 0: no limit
};

constexpr int kSpeedChoiceCount = 6;
extern const SpeedChoice kSpeedChoices[kSpeedChoiceCount];

// The index of the choice that is `limit`; -1 when none is (a limit written
// by another program, or by hand).
int SpeedChoiceOf(int64_t limit);
