// SHA-256 through CNG: a system DLL, so the program still needs nothing
// beside itself.

#include <windows.h>
#include <bcrypt.h>

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

}  // namespace

struct Sha256::State {
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool failed = false;
  ~State() {
    if (hash) BCryptDestroyHash(hash);
  }
  void Open() {
    failed = !Provider() || BCryptCreateHash(Provider(), &hash, nullptr, 0, nullptr, 0, 0) < 0;
    if (failed) hash = nullptr;
  }
};

Sha256::Sha256() : state_(new State) { state_->Open(); }

Sha256::~Sha256() = default;

bool Sha256::Ready() const { return state_->hash != nullptr; }

void Sha256::Update(const void* data, size_t size) {
  if (!state_->hash || size == 0) return;
  if (BCryptHashData(state_->hash, static_cast<PUCHAR>(const_cast<void*>(data)), static_cast<ULONG>(size), 0) < 0) {
    state_->failed = true;
  }
}

bool Sha256::Finish(Sha256Text text) {
  unsigned char digest[32];
  const bool ok = state_->hash && !state_->failed && BCryptFinishHash(state_->hash, digest, sizeof digest, 0) >= 0;
  if (state_->hash) BCryptDestroyHash(state_->hash);
  state_->hash = nullptr;
  state_->Open();
  if (ok) detail::HexDigest(digest, text);
  return ok;
}

}  // namespace platform
