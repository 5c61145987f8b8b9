// Fuzzes the Content-Range reader with any text, and checks it against
// ranges written from the input's numbers: what the server writes is what
// the transfer reads back.

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "download/content_range.h"
#include "tests/fuzz/fuzz_require.h"

namespace {

int64_t NumberAt(const uint8_t* data, size_t size, size_t at) {
  uint64_t value = 0;
  for (size_t i = 0; i < 8 && at + i < size; ++i) value = value << 8 | data[at + i];
  return static_cast<int64_t>(value & INT64_MAX);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  int64_t start = -1;
  int64_t total = -1;
  const bool hasStart = RangeStart(text.c_str(), &start);
  if (hasStart) Require(start >= 0);
  if (RangeTotal(text.c_str(), &total)) {
    Require(hasStart);
    Require(total > 0);
  }

  // "bytes FIRST-LAST/TOTAL" as a server writes it reads back as written.
  const int64_t first = NumberAt(data, size, 0);
  const int64_t last = NumberAt(data, size, 8);
  const int64_t length = NumberAt(data, size, 16);
  char written[96];
  std::snprintf(written, sizeof written, "bytes %" PRId64 "-%" PRId64 "/%" PRId64, first, last, length);
  Require(RangeStart(written, &start) && start == first);
  Require(RangeTotal(written, &total) == (length > 0));
  if (length > 0) Require(total == length);
  std::snprintf(written, sizeof written, "bytes %" PRId64 "-%" PRId64 "/*", first, last);
  Require(RangeStart(written, &start) && start == first && !RangeTotal(written, &total));
  return 0;
}
