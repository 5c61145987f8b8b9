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

int WideLength(const char* text) { return static_cast<int>(std::strlen(text)); }

bool AnsiToWide(const char* text, WideChar* destination, int capacity) {
  const int length = WideLength(text);
  if (capacity < length + 1) return false;
  for (int i = 0; i < length; ++i) {
    destination[i] = static_cast<unsigned char>(text[i]);
  }
  destination[length] = 0;
  return true;
}

#endif
