#include "json/conversions.h"

#include <limits>

namespace json {
namespace {

bool IsLeadingSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int DigitValue(char c, int base) {
  int value = base;  // "not a digit"
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// Accumulates the magnitude as unsigned and stops growing it once it passes
// `limit`, so no intermediate value can overflow.
template <typename Result>
Result Convert(const char* text, int base) {
  using Magnitude = uint64_t;
  while (IsLeadingSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  if (base == 16 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && DigitValue(text[2], 16) >= 0) {
    text += 2;
  }
  const Magnitude maximum = static_cast<Magnitude>(std::numeric_limits<Result>::max());
  const Magnitude limit = negative ? maximum + 1 : maximum;
  Magnitude magnitude = 0;
  bool saturated = false;
  for (int digit; (digit = DigitValue(*text, base)) >= 0; ++text) {
    if (saturated) continue;
    if (magnitude > (limit - static_cast<Magnitude>(digit)) / static_cast<Magnitude>(base)) {
      saturated = true;
      magnitude = limit;
    } else {
      magnitude = magnitude * static_cast<Magnitude>(base) + static_cast<Magnitude>(digit);
    }
  }
  if (!negative) return static_cast<Result>(magnitude);
  if (magnitude == maximum + 1) return std::numeric_limits<Result>::min();
  return static_cast<Result>(-static_cast<Result>(magnitude));
}

}  // namespace

int32_t DecimalToInt32(const char* text) { return Convert<int32_t>(text, 10); }
int64_t DecimalToInt64(const char* text) { return Convert<int64_t>(text, 10); }
int32_t HexToInt32(const char* text) { return Convert<int32_t>(text, 16); }
int64_t HexToInt64(const char* text) { return Convert<int64_t>(text, 16); }

}  // namespace json
