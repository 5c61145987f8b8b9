// SHA-256 through libcrypto's digest interface.

#include <cstring>

#include "platform/owned_openssl.h"
#include "platform/sha256.h"

namespace platform {

struct Sha256::State {
  OpenSslOwned<EVP_MD_CTX> context{EVP_MD_CTX_new()};
  bool failed = false;
  void Open() { failed = !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1; }
};

Sha256::Sha256() : state_(new State) { state_->Open(); }

Sha256::~Sha256() = default;

bool Sha256::Ready() const { return state_->context && !state_->failed; }

void Sha256::Update(const void* data, size_t size) {
  if (state_->failed || size == 0) return;
  if (EVP_DigestUpdate(state_->context.get(), data, size) != 1) state_->failed = true;
}

bool Sha256::Finish(unsigned char (&digest)[32]) {
  unsigned char full[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  const bool ok =
      !state_->failed && EVP_DigestFinal_ex(state_->context.get(), full, &length) == 1 && length == 32;
  state_->Open();
  if (ok) std::memcpy(digest, full, sizeof digest);
  return ok;
}

}  // namespace platform
