// Verification through CNG: the raw point is imported as an ECCPUBLIC blob,
// and CNG takes the raw r||s as it is.

#include <cstring>

#include "platform/cng_provider.h"
#include "platform/owned_cng.h"
#include "platform/sha256.h"
#include "platform/signature.h"

namespace platform {

namespace {

OwnedCngKey ImportKey(const unsigned char* publicKey) {
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + kP256PublicKeySize];
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, publicKey, kP256PublicKeySize);
  BCRYPT_KEY_HANDLE key = nullptr;
  BCRYPT_ALG_HANDLE provider = CngProvider(CngAlgorithm::kEcdsaP256);
  if (!provider || BCryptImportKeyPair(provider, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob, sizeof blob, 0) < 0) {
    return nullptr;
  }
  return OwnedCngKey(key);
}

}  // namespace

bool VerifyP256Signature(const unsigned char* publicKey, const void* data, size_t size,
                         const unsigned char* signature) {
  Sha256 hash;
  unsigned char digest[32];
  hash.Update(data, size);
  if (!hash.Finish(digest)) return false;
  OwnedCngKey key = ImportKey(publicKey);
  return key && BCryptVerifySignature(key.get(), nullptr, digest, sizeof digest, const_cast<PUCHAR>(signature),
                                      kP256SignatureSize, 0) == 0;
}

}  // namespace platform
