#include "ui/speed_choices.h"

const SpeedChoice kSpeedChoices[kSpeedChoiceCount] = {
    {"No limit", 0},
    {"10 MB/s", 10 * 1048576},
    {"5 MB/s", 5 * 1048576},
    {"2 MB/s", 2 * 1048576},
    {"1 MB/s", 1048576},
    {"512 KB/s", 512 * 1024},
};

int SpeedChoiceOf(int64_t limit) {
  for (int i = 0; i < kSpeedChoiceCount; ++i) {
    if (kSpeedChoices[i].bytesPerSecond == limit) return i;
  }
  return -1;
}
