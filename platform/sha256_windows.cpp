// SHA-256 through CNG: a system DLL, so the program still needs nothing
// beside itself.

#include <windows.h>
#include <bcrypt.h>

#include <memory>

#include "platform/sha256.h"

namespace platform {

namespace {

// The algorithm provider is opened once and kept for the process: opening
// it is far dearer than a hash object.
BCRYPT_ALG_HANDLE Provider() {
  static BCRYPT_ALG_HANDLE provider = [] {
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) opened = nullptr;
    return opened;
  }();
  return provider;
}

// The owner of a hash object: destroyed in one place.
struct HashDestroyer {
  void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};
using OwnedHash = std::unique_ptr<void, HashDestroyer>;

}  // namespace

struct Sha256::State {
  OwnedHash hash;
  bool failed = false;
  void Open() {
    BCRYPT_HASH_HANDLE created = nullptr;
    failed = !Provider() || BCryptCreateHash(Provider(), &created, nullptr, 0, nullptr, 0, 0) < 0;
    hash.reset(failed ? nullptr : created);
  }
};

Sha256::Sha256() : state_(new State) { state_->Open(); }

Sha256::~Sha256() = default;

bool Sha256::Ready() const { return state_->hash != nullptr; }

void Sha256::Update(const void* data, size_t size) {
  if (!state_->hash || size == 0) return;
  if (BCryptHashData(state_->hash.get(), static_cast<PUCHAR>(const_cast<void*>(data)), static_cast<ULONG>(size), 0) <
      0) {
    state_->failed = true;
  }
}

bool Sha256::Finish(unsigned char (&digest)[32]) {
  const bool ok =
      state_->hash && !state_->failed && BCryptFinishHash(state_->hash.get(), digest, sizeof digest, 0) >= 0;
  state_->hash.reset();
  state_->Open();
  return ok;
}

bool Sha256::Finish(Sha256Text text) {
  unsigned char digest[32];
  if (!Finish(digest)) return false;
  detail::HexDigest(digest, text);
  return true;
}

}  // namespace platform
