#pragma once
// The Content-Range header of a 206 answer, "bytes 100-199/200": where the
// part the server sends starts, and the resource's full length. A server may
// answer a range with a part of it; the transfer then asks again.

#include <cstdint>

// The first byte position ("bytes 100-199/200" gives 100). False when the
// text is not a byte range.
bool RangeStart(const char* contentRange, int64_t* start);

// The full length ("bytes 100-199/200" gives 200); false when it is unknown
// ("bytes 100-199/*"), not positive or unreadable.
bool RangeTotal(const char* contentRange, int64_t* total);
