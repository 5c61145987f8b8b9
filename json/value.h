#pragma once
// JsonValue: a scalar. It keeps the text the parser cut from the document
// (numbers, true, false and null included) and converts it on each request;
// only the UTF-16 form is kept once made.

#include <cstddef>
#include <cstdint>

#include "json/node.h"

class JsonValue : public cJson::Node {
 public:
  JsonValue(const char* key, const char* text);
  // The first `length` characters of `text`, which need no terminator.
  JsonValue(const char* key, const char* text, size_t length);
  ~JsonValue() override;

  void Clear() override;
  const char* GetText() override;
  // Made on the first call and returned unchanged afterwards; null after
  // Clear, or when the text cannot be converted.
  const WideChar* GetWideText() override;
  int32_t GetInt() override;
  int64_t GetInt64() override;
  int32_t GetHex() override;
  int64_t GetHex64() override;

  char* text;          // owned; null only after Clear or when memory ran out
  WideChar* wideText;  // owned; null until GetWideText
  int32_t size;        // length of text plus one: the UTF-16 units wideText gets
};
