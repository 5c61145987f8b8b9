#pragma once
// Counts what the program allocates through operator new and delete, which
// this file's companion replaces for the whole executable it is linked into.
// Used to check that trees are released whole and in order, and to measure
// the memory a document costs.

#include <cstddef>
#include <cstdint>

namespace allocation_counter {

struct Snapshot {
  int64_t liveBytes;    // requested bytes not yet freed
  int64_t liveBlocks;
  int64_t peakBytes;    // highest liveBytes since the last ResetPeak
  int64_t allocations;  // calls of operator new since the start
};

Snapshot Now();
void ResetPeak();

// Makes the `n`-th non-throwing allocation from now (operator new with
// std::nothrow, the form the JSON layer uses) fail, as if memory had run
// out; n = 0 disarms it. FailureHappened tells whether it has struck.
void FailNthNothrowAllocation(int64_t n);
bool FailureHappened();

// While recording, the addresses given to operator delete are kept in order
// (the first kMaxRecorded of them).
constexpr size_t kMaxRecorded = 1 << 16;
void StartRecordingFrees();
void StopRecordingFrees();
size_t RecordedFreeCount();
const void* RecordedFree(size_t index);

}  // namespace allocation_counter
