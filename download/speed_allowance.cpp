#include "download/speed_allowance.h"

#include <algorithm>

#include "platform/system.h"

namespace {

constexpr uint32_t kRefillMs = 125;  // eight refills a second
constexpr uint32_t kRefillsPerSecond = 1000 / kRefillMs;

}  // namespace

void cSpeedAllowance::SetLimit(int64_t bytesPerSecond) { limit_ = bytesPerSecond > 0 ? bytesPerSecond : 0; }

void cSpeedAllowance::Refill(uint32_t now) {
  const int64_t limit = limit_;
  if (!started_) {
    // A run starts with nothing in hand: its first bytes come at the rate.
    started_ = true;
    refilled_ = now;
    available_ = 0;
    return;
  }
  // The time is taken only with the bytes it brought, so that frequent asks
  // lose no fraction of a byte.
  const int64_t added = limit * static_cast<int64_t>(now - refilled_) / 1000;
  if (added == 0) return;
  refilled_ = now;
  const int64_t capacity = std::max<int64_t>(limit / kRefillsPerSecond, 1);
  available_ = std::min(capacity, available_ + added);
}

uint32_t cSpeedAllowance::Take(uint32_t wanted, const std::atomic<int>& running) {
  while (running) {
    if (limit_ == 0) return wanted;
    {
      std::lock_guard<std::mutex> guard(lock_);
      Refill(platform::TickCount());
      if (available_ > 0) {
        const uint32_t granted = static_cast<uint32_t>(std::min<int64_t>(wanted, available_));
        available_ -= granted;
        return granted;
      }
    }
    platform::SleepMs(kRefillMs / 4);
  }
  return 0;
}

void cSpeedAllowance::GiveBack(uint32_t unused) {
  if (unused == 0 || limit_ == 0) return;
  std::lock_guard<std::mutex> guard(lock_);
  available_ += unused;
}
