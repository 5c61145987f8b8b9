#pragma once
// UTF-16 text for drawing. On Windows wchar_t is 16 bits wide and is what
// Direct2D and DirectWrite take; elsewhere char16_t has that width.

#ifdef _WIN32
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif

// Number of UTF-16 code units that `text` (ANSI code page, zero-terminated)
// converts to, without the terminator.
int WideLength(const char* text);

// Converts `text` from the ANSI code page into `destination`, terminated.
// `capacity` counts code units including the terminator. Returns false, and
// leaves `destination` untouched, when the converted text does not fit.
//
// Windows uses the system's ANSI code page (MultiByteToWideChar, CP_ACP).
// Elsewhere there is no ANSI code page: each byte becomes the code unit of the
// same value (ISO 8859-1). That is exact for ASCII, which is all the documents
// the program loads contain.
bool AnsiToWide(const char* text, WideChar* destination, int capacity);
