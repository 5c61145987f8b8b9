#pragma once
// SHA-256 from the system where there is one: CNG (bcrypt.dll) on Windows,
// Debian's libcrypto elsewhere. Nothing home-made.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// 64 lower-case hexadecimal characters and a NUL.
using Sha256Text = char[65];

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // False when the system could not make a hash object: nothing can be
  // verified then, and every Finish reports failure.
  bool Ready() const;
  void Update(const void* data, size_t size);
  // The digest of everything given since construction or the last Finish,
  // then a fresh start. False when the system failed.
  bool Finish(Sha256Text text);
  // The same as 32 raw bytes.
  bool Finish(unsigned char (&digest)[32]);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The digest of the first `size` bytes of the open file `path` (all of it
// when `size` is negative), read once in large chunks. False when the file
// cannot be read that far or the system failed.
bool HashFile(const char* path, int64_t size, Sha256Text text);

// Whether `text` is 64 hexadecimal characters (either case).
bool IsSha256Text(const char* text);

// Compares two digests written in either case.
bool SameSha256(const char* a, const char* b);

}  // namespace platform
