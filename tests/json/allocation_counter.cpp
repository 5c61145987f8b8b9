#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace allocation_counter {
namespace {

// Each block carries its size in front, so delete knows what it frees.
constexpr size_t kHeader = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

std::atomic<int64_t> liveBytes{0};
std::atomic<int64_t> liveBlocks{0};
std::atomic<int64_t> peakBytes{0};
std::atomic<int64_t> allocations{0};
std::atomic<int64_t> nothrowUntilFailure{0};
std::atomic<bool> failed{false};
std::atomic<bool> recording{false};
std::atomic<size_t> recordedCount{0};
const void* recorded[kMaxRecorded];

void* Allocate(size_t size) {
  void* base = std::malloc(size + kHeader);
  if (!base) return nullptr;
  *static_cast<size_t*>(base) = size;
  const int64_t live = liveBytes.fetch_add(static_cast<int64_t>(size)) + static_cast<int64_t>(size);
  liveBlocks.fetch_add(1);
  allocations.fetch_add(1);
  int64_t peak = peakBytes.load();
  while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(base) + kHeader;
}

void Free(void* block) {
  if (!block) return;
  if (recording.load()) {
    const size_t slot = recordedCount.fetch_add(1);
    if (slot < kMaxRecorded) recorded[slot] = block;
  }
  char* base = static_cast<char*>(block) - kHeader;
  liveBytes.fetch_sub(static_cast<int64_t>(*reinterpret_cast<size_t*>(base)));
  liveBlocks.fetch_sub(1);
  std::free(base);
}

void* AllocateOrFail(size_t size) {
  if (nothrowUntilFailure.load() > 0 && nothrowUntilFailure.fetch_sub(1) == 1) {
    failed.store(true);
    return nullptr;
  }
  return Allocate(size);
}

void* AllocateOrThrow(size_t size) {
  void* block = Allocate(size);
  if (!block) throw std::bad_alloc();
  return block;
}

}  // namespace

Snapshot Now() { return {liveBytes.load(), liveBlocks.load(), peakBytes.load(), allocations.load()}; }

void ResetPeak() { peakBytes.store(liveBytes.load()); }

void FailNthNothrowAllocation(int64_t n) {
  failed.store(false);
  nothrowUntilFailure.store(n);
}

bool FailureHappened() { return failed.load(); }

void StartRecordingFrees() {
  recordedCount.store(0);
  recording.store(true);
}

void StopRecordingFrees() { recording.store(false); }

size_t RecordedFreeCount() {
  const size_t count = recordedCount.load();
  return count < kMaxRecorded ? count : kMaxRecorded;
}

const void* RecordedFree(size_t index) { return index < RecordedFreeCount() ? recorded[index] : nullptr; }

}  // namespace allocation_counter

void* operator new(size_t size) { return allocation_counter::AllocateOrThrow(size); }
void* operator new[](size_t size) { return allocation_counter::AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocation_counter::AllocateOrFail(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocation_counter::AllocateOrFail(size); }
void operator delete(void* block) noexcept { allocation_counter::Free(block); }
void operator delete[](void* block) noexcept { allocation_counter::Free(block); }
void operator delete(void* block, size_t) noexcept { allocation_counter::Free(block); }
void operator delete[](void* block, size_t) noexcept { allocation_counter::Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { allocation_counter::Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { allocation_counter::Free(block); }
