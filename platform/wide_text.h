#pragma once
// UTF-16 text for drawing, and the UTF-8 rules names are read by. On Windows
// wchar_t is 16 bits wide and is what Direct2D and DirectWrite take;
// elsewhere char16_t has that width.

#ifdef _WIN32
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif

#include <cstddef>

// Number of UTF-16 code units that `text` (ANSI code page, zero-terminated)
// converts to, without the terminator. The programs declare the UTF-8 code
// page, so on Windows 10 1903 and later, and under Wine, the ANSI code page
// is UTF-8.
int WideLength(const char* text);

// Converts `text` from the ANSI code page into `destination`, terminated.
// `capacity` counts code units including the terminator. Returns false, and
// leaves `destination` untouched, when the converted text does not fit.
//
// Windows uses the process's ANSI code page (MultiByteToWideChar, CP_ACP).
// Elsewhere the text is read as UTF-8, as names are; a byte that belongs to
// no UTF-8 sequence becomes U+FFFD, as on Windows.
bool AnsiToWide(const char* text, WideChar* destination, int capacity);

// The length of the longest start of `text` that has at most `maxBytes`
// bytes and ends at a character's end: a UTF-8 sequence is never cut (for
// bounded formats such as "%.*s").
int WholeCharactersLength(const char* text, int maxBytes);

// The length of the UTF-8 sequence at `c`, or 0 when it is not one (a stray
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF, cut).
size_t Utf8SequenceLength(const unsigned char* c);
