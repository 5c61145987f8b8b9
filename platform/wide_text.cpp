#include "platform/wide_text.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>

int WideLength(const char* text) {
  // The count includes the terminator because the length -1 asks for it.
  const int withTerminator = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  return withTerminator > 0 ? withTerminator - 1 : 0;
}

bool AnsiToWide(const char* text, WideChar* destination, int capacity) {
  const int length = WideLength(text);
  if (capacity < length + 1) return false;
  MultiByteToWideChar(CP_ACP, 0, text, -1, destination, capacity);
  destination[length] = 0;
  return true;
}

#else

namespace {

// Decodes the UTF-8 sequence at `text` into its code point; returns the bytes
// it takes, 1 for a byte that starts no valid sequence (read as U+FFFD).
int DecodeUtf8(const unsigned char* text, unsigned* code) {
  int length = text[0] < 0x80 ? 1 : text[0] >= 0xC2 && text[0] <= 0xDF ? 2 : text[0] >= 0xE0 && text[0] <= 0xEF ? 3
                                    : text[0] >= 0xF0 && text[0] <= 0xF4 ? 4 : 0;
  unsigned value = length == 1 ? text[0] : length == 2 ? text[0] & 0x1Fu : length == 3 ? text[0] & 0x0Fu : text[0] & 7u;
  for (int i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) length = 0;
    if (length == 0) break;
    value = (value << 6) | (text[i] & 0x3Fu);
  }
  if ((length == 3 && value < 0x800) || (length == 4 && (value < 0x10000 || value > 0x10FFFF)) ||
      (value >= 0xD800 && value <= 0xDFFF)) {
    length = 0;
  }
  *code = length == 0 ? 0xFFFD : value;
  return length == 0 ? 1 : length;
}

// Converts into `destination` when it is not null; returns the code units.
int Convert(const char* text, WideChar* destination) {
  int units = 0;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c;) {
    unsigned code;
    c += DecodeUtf8(c, &code);
    if (code >= 0x10000) {
      if (destination) {
        destination[units] = static_cast<WideChar>(0xD800 + ((code - 0x10000) >> 10));
        destination[units + 1] = static_cast<WideChar>(0xDC00 + ((code - 0x10000) & 0x3FF));
      }
      units += 2;
    } else {
      if (destination) destination[units] = static_cast<WideChar>(code);
      ++units;
    }
  }
  return units;
}

}  // namespace

int WideLength(const char* text) { return Convert(text, nullptr); }

bool AnsiToWide(const char* text, WideChar* destination, int capacity) {
  const int length = WideLength(text);
  if (capacity < length + 1) return false;
  Convert(text, destination);
  destination[length] = 0;
  return true;
}

#endif

int WholeCharactersLength(const char* text, int maxBytes) {
  int length = 0;
  while (length < maxBytes && text[length]) ++length;
  if (text[length] == 0) return length;
  // Back to the start of the sequence the cut falls into.
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  return length;
}
