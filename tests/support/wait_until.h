#pragma once
// How a test waits: on a condition, with a bound, never a fixed sleep.

#include <cstdint>

#include "platform/system.h"

// Whether `condition()` came true within `timeoutMs`; it is asked every millisecond.
template <class Condition>
bool WaitUntil(Condition condition, uint32_t timeoutMs = 10000) {
  for (const uint32_t start = platform::TickCount(); !condition(); platform::SleepMs(1)) {
    if (platform::TickCount() - start > timeoutMs) return condition();
  }
  return true;
}
