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
  const size_t length = Utf8SequenceLength(text);
  if (length == 0) {
    *code = 0xFFFD;
    return 1;
  }
  static const unsigned kLeadBits[] = {0, 0x7Fu, 0x1Fu, 0x0Fu, 0x07u};
  unsigned value = text[0] & kLeadBits[length];
  for (size_t i = 1; i < length; ++i) value = (value << 6) | (text[i] & 0x3Fu);
  *code = value;
  return static_cast<int>(length);
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

size_t Utf8SequenceLength(const unsigned char* c) {
  if (c[0] < 0x80) return 1;
  size_t length;
  unsigned int code;
  if (c[0] >= 0xC2 && c[0] <= 0xDF) {
    length = 2, code = c[0] & 0x1Fu;
  } else if (c[0] >= 0xE0 && c[0] <= 0xEF) {
    length = 3, code = c[0] & 0x0Fu;
  } else if (c[0] >= 0xF0 && c[0] <= 0xF4) {
    length = 4, code = c[0] & 0x07u;
  } else {
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((c[i] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (c[i] & 0x3Fu);
  }
  if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) return 0;
  if (code >= 0xD800 && code <= 0xDFFF) return 0;
  return length;
}
