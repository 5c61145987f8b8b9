#include "download/file_url.h"

#include <cstring>

namespace {

bool TravelsAsItIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/';
}

}  // namespace

size_t EncodedNameLength(const char* name) {
  size_t length = 0;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; ++c) {
    length += TravelsAsItIs(*c) ? 1 : 3;
  }
  return length;
}

bool MakeFileUrl(const char* baseUrl, const char* name, char* url, size_t capacity) {
  static const char kHex[] = "0123456789ABCDEF";
  const size_t baseLength = std::strlen(baseUrl);
  if (capacity == 0) return false;
  url[0] = 0;
  if (baseLength + EncodedNameLength(name) >= capacity) return false;
  std::memcpy(url, baseUrl, baseLength);
  char* out = url + baseLength;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; ++c) {
    if (TravelsAsItIs(*c)) {
      *out++ = static_cast<char>(*c);
    } else {
      *out++ = '%';
      *out++ = kHex[*c >> 4];
      *out++ = kHex[*c & 15];
    }
  }
  *out = 0;
  return true;
}
