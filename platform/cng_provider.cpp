#include "platform/cng_provider.h"

namespace platform {

namespace {

BCRYPT_ALG_HANDLE Open(LPCWSTR algorithm) {
  BCRYPT_ALG_HANDLE opened = nullptr;
  return BCryptOpenAlgorithmProvider(&opened, algorithm, nullptr, 0) < 0 ? nullptr : opened;
}

}  // namespace

BCRYPT_ALG_HANDLE CngProvider(CngAlgorithm algorithm) {
  // One static each: each is opened on its first use only, once even when
  // threads ask at the same time.
  switch (algorithm) {
    case CngAlgorithm::kSha256: {
      static const BCRYPT_ALG_HANDLE sha256 = Open(BCRYPT_SHA256_ALGORITHM);
      return sha256;
    }
    case CngAlgorithm::kEcdsaP256: {
      static const BCRYPT_ALG_HANDLE ecdsa = Open(BCRYPT_ECDSA_P256_ALGORITHM);
      return ecdsa;
    }
  }
  return nullptr;
}

}  // namespace platform
