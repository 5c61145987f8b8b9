#pragma once
// The one way a test waits: on a condition, with a bound, never a fixed
// sleep. It looks every millisecond, so a wait costs what the condition
// takes, not a guess.

#include <cstdint>

#include "platform/system.h"

// Whether `condition()` came true within `timeoutMs`.
template <class Condition>
bool WaitUntil(Condition condition, uint32_t timeoutMs = 10000) {
  const uint32_t start = platform::TickCount();
  while (!condition()) {
    if (platform::TickCount() - start > timeoutMs) return condition();
    platform::SleepMs(1);
  }
  return true;
}
