#pragma once
// Number conversions of scalar texts. Each reads optional leading white
// space, an optional sign and digits, and stops at the first other character;
// no digits give 0. Values beyond the result's range saturate at the nearest
// limit, like the C library's strtol family, but independent of the locale.

#include <cstdint>

namespace json {

int32_t DecimalToInt32(const char* text);
int64_t DecimalToInt64(const char* text);
// Hexadecimal digits of either case, after an optional "0x" or "0X".
int32_t HexToInt32(const char* text);
int64_t HexToInt64(const char* text);

}  // namespace json
