#include "json/value.h"

#include <cstring>
#include <new>

#include "json/conversions.h"

JsonValue::JsonValue(const char* key, const char* text)
    : JsonValue(key, text, text ? std::strlen(text) : 0) {}

JsonValue::JsonValue(const char* key, const char* source, size_t length)
    : Node(eJsonValue, key), text(nullptr), wideText(nullptr), size(static_cast<int32_t>(length + 1)) {
  // No exceptions: when memory runs out the text stays null, which the parser
  // checks; every operation treats a null text as an empty value.
  text = new (std::nothrow) char[length + 1];
  if (text) {
    if (length) std::memcpy(text, source, length);
    text[length] = 0;
  }
}

JsonValue::~JsonValue() {
  delete[] text;
  delete[] wideText;
}

void JsonValue::Clear() {
  delete[] text;
  delete[] wideText;
  text = nullptr;
  wideText = nullptr;
}

const char* JsonValue::GetText() { return text; }

const WideChar* JsonValue::GetWideText() {
  if (wideText || !text || size <= 0) return wideText;
  // A code page never makes more UTF-16 units than the text has bytes, so
  // `size` units hold the text and its terminator.
  WideChar* converted = new (std::nothrow) WideChar[size];
  if (!converted) return nullptr;
  if (!AnsiToWide(text, converted, size)) {
    delete[] converted;
    return nullptr;
  }
  wideText = converted;
  return wideText;
}

int32_t JsonValue::GetInt() { return text ? json::DecimalToInt32(text) : 0; }
int64_t JsonValue::GetInt64() { return text ? json::DecimalToInt64(text) : 0; }
int32_t JsonValue::GetHex() { return text ? json::HexToInt32(text) : 0; }
int64_t JsonValue::GetHex64() { return text ? json::HexToInt64(text) : 0; }
