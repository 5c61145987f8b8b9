// Fuzzes the reading of a manifest's "Expires": a text that is taken is the
// one the C library writes for the time it gives, and a time the C library
// writes is read back to the same second.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include "download/manifest_trust.h"
#include "tests/fuzz/fuzz_require.h"

namespace {

std::string Written(long long seconds) {
  const std::time_t when = static_cast<std::time_t>(seconds);
  std::tm utc{};
  char text[32] = "";
  if (!gmtime_r(&when, &utc) || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) return "";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  long long seconds = 0;
  // The C library writes years before 1000 with fewer digits: those are
  // compared only as coming before 1970.
  if (ParseUtcTime(text.c_str(), &seconds)) {
    Require(text.compare(0, 4, "1970") < 0 ? seconds < 0 : Written(seconds) == text.c_str());
  }

  // The input's first bytes as a time from 1970 to the end of 9999.
  uint64_t raw = 0;
  std::memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
  const long long when = static_cast<long long>(raw % 253402300800ull);
  long long read = -1;
  Require(ParseUtcTime(Written(when).c_str(), &read) && read == when);
  return 0;
}
