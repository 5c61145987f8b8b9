#pragma once
// cSpeedAllowance: the bytes a run's transfers may read, all of them
// together, under the player's speed limit. The allowance refills eight
// times a second at the limit's rate and holds at most an eighth of a
// second's worth, so four transfers at 1 MB/s total 1 MB/s, and a change of
// the limit holds within a second. A transfer reads no more than it was
// granted; what it does not read stays with the server, whose sending TCP
// then slows.

#include <atomic>
#include <cstdint>
#include <mutex>

class cSpeedAllowance {
 public:
  // Bytes per second for all transfers; 0: no limit.
  void SetLimit(int64_t bytesPerSecond);
  int64_t Limit() const { return limit_; }

  // Up to `wanted` bytes a transfer may read now: at once when there is no
  // limit, else once some of the allowance is there, waiting in steps of at
  // most a refill. 0 when `running` turned 0 while it waited.
  uint32_t Take(uint32_t wanted, const std::atomic<int>& running);
  // Gives back what a read granted `granted` did not use.
  void GiveBack(uint32_t unused);

 private:
  // Adds what the time since the last refill brings. The lock is held.
  void Refill(uint32_t now);

  std::atomic<int64_t> limit_{0};
  std::mutex lock_;
  int64_t available_ = 0;
  uint32_t refilled_ = 0;
  bool started_ = false;
};
