// What both systems share: the text form of a digest, reading a file into the
// hash, and comparing digests.

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/owned_file.h"
#include "platform/sha256.h"

namespace platform {

bool Sha256::Finish(Sha256Text text) {
  static const char kDigits[] = "0123456789abcdef";
  unsigned char digest[32];
  if (!Finish(digest)) return false;
  for (int i = 0; i < 32; ++i) {
    text[2 * i] = kDigits[digest[i] >> 4];
    text[2 * i + 1] = kDigits[digest[i] & 15];
  }
  text[64] = 0;
  return true;
}

bool HashFile(const char* path, int64_t size, Sha256Text text) {
  Sha256 hash;
  OwnedFile file(OpenFile(path, "rb"));
  if (!hash.Ready() || !file) return false;
  std::vector<char> buffer(1 << 20);
  int64_t left = size;
  while (size < 0 || left > 0) {
    const size_t want = size < 0 || left > static_cast<int64_t>(buffer.size()) ? buffer.size()
                                                                                : static_cast<size_t>(left);
    const size_t got = std::fread(buffer.data(), 1, want, file.get());
    hash.Update(buffer.data(), got);
    left -= static_cast<int64_t>(got);
    if (got < want) break;
  }
  if (size >= 0 && left != 0) return false;  // shorter than asked
  if (std::ferror(file.get())) return false;
  return hash.Finish(text);
}

bool IsSha256Text(const char* text) {
  if (!text || std::strlen(text) != 64) return false;
  for (int i = 0; i < 64; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

bool SameSha256(const char* a, const char* b) {
  if (!IsSha256Text(a) || !IsSha256Text(b)) return false;
  for (int i = 0; i < 64; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace platform
