// SHA-256 through CNG: a system DLL, so the program still needs nothing
// beside itself.

#include "platform/cng_provider.h"
#include "platform/owned_cng.h"
#include "platform/sha256.h"

namespace platform {

struct Sha256::State {
  OwnedCngHash hash;
  bool failed = false;
  void Open() {
    BCRYPT_HASH_HANDLE created = nullptr;
    BCRYPT_ALG_HANDLE provider = CngProvider(CngAlgorithm::kSha256);
    failed = !provider || BCryptCreateHash(provider, &created, nullptr, 0, nullptr, 0, 0) < 0;
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

}  // namespace platform
