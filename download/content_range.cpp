#include "download/content_range.h"

#include <cstdlib>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool RangeStart(const char* contentRange, int64_t* start) {
  while (*contentRange == ' ') ++contentRange;
  if (std::strncmp(contentRange, "bytes ", 6) != 0) return false;
  const char* digits = contentRange + 6;
  while (*digits == ' ') ++digits;
  if (!IsDigit(*digits)) return false;
  char* end = nullptr;
  *start = std::strtoll(digits, &end, 10);
  return *end == '-';
}

bool RangeTotal(const char* contentRange, int64_t* total) {
  int64_t start = 0;
  if (!RangeStart(contentRange, &start)) return false;
  const char* slash = std::strchr(contentRange, '/');
  if (!slash || !IsDigit(slash[1])) return false;
  char* end = nullptr;
  *total = std::strtoll(slash + 1, &end, 10);
  while (*end == ' ') ++end;
  return *end == 0 && *total > 0;
}
