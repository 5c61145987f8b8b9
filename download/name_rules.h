#pragma once
// What makes a manifest name unusable as a file of the download folder on
// Windows. Names are UTF-8. The engine refuses the names that would reach
// outside the folder or a device (IsSafeRelativeName, download/manifest.h);
// the operator tool refuses every fault, so that a published client is one
// that every player's system can store.

#include <cstddef>

enum class NameFault {
  kEmpty,
  kLeadingSeparator,   // '/' or '\' first: a path from the root
  kDotsOnly,           // a component of dots and blanks: "..", "... "
  kDeviceName,         // CON, PRN, AUX, NUL, COM0-9, LPT0-9, with any extension
  kTrailingDotOrSpace, // a component Windows would store without its last '.' or ' '
  kReservedCharacter,  // < > : " | ? *
  kBackslash,          // Windows reads it as a separator
  kControlCharacter,   // 0x01-0x1F, 0x7F
  kNotUtf8,            // a byte that does not belong to a UTF-8 sequence
};

// One fault: its kind and the bytes of the name it is about (the character,
// or the component for kDotsOnly, kDeviceName and kTrailingDotOrSpace).
struct NameFinding {
  NameFault fault;
  size_t at;
  size_t length;
};

// Finds the faults of `name` in the order of their bytes, each character
// once per kind; writes the first `capacity` of them to `findings` and
// returns how many there are. A null name counts as empty.
size_t FindNameFaults(const char* name, NameFinding* findings, size_t capacity);

// True when the component [begin, end) names a device: Windows opens the
// device for it, in any folder and with any extension.
bool IsDeviceName(const char* begin, const char* end);

// True when the component [begin, end) is made only of dots and blanks and
// holds two dots or more: Windows trims it to "..".
bool IsDotsOnly(const char* begin, const char* end);
