#pragma once
// Linux only: the owner of a file descriptor (a socket, a file): closed in
// one place, Reset or the destructor. -1, what open() and socket() return on
// failure, is empty. Movable, so a descriptor can pass from the code that
// opened it to the record that keeps it.

#include <unistd.h>

namespace platform {

class OwnedDescriptor {
 public:
  OwnedDescriptor() = default;
  explicit OwnedDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~OwnedDescriptor() { Reset(); }
  OwnedDescriptor(OwnedDescriptor&& other) noexcept : descriptor_(other.descriptor_) { other.descriptor_ = -1; }
  OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept {
    if (this != &other) {
      Reset(other.descriptor_);
      other.descriptor_ = -1;
    }
    return *this;
  }
  OwnedDescriptor(const OwnedDescriptor&) = delete;
  OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;

  int Get() const { return descriptor_; }
  explicit operator bool() const { return descriptor_ >= 0; }
  // Closes the descriptor held (never retried: Linux frees the number even
  // when close reports EINTR), then takes `descriptor`.
  void Reset(int descriptor = -1) {
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = descriptor;
  }

 private:
  int descriptor_ = -1;
};

}  // namespace platform
