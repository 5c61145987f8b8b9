// Verification through CNG: the raw point is imported as an ECCPUBLIC blob,
// and CNG takes the raw r||s as it is.

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <memory>

#include "platform/sha256.h"
#include "platform/signature.h"

namespace platform {

namespace {

// Opened once and kept for the process, like the hash provider.
BCRYPT_ALG_HANDLE Provider() {
  static BCRYPT_ALG_HANDLE provider = [] {
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (BCryptOpenAlgorithmProvider(&opened, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) < 0) opened = nullptr;
    return opened;
  }();
  return provider;
}

struct KeyDestroyer {
  void operator()(BCRYPT_KEY_HANDLE key) const { BCryptDestroyKey(key); }
};
using OwnedKey = std::unique_ptr<void, KeyDestroyer>;

OwnedKey ImportKey(const unsigned char* publicKey) {
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + kP256PublicKeySize];
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, publicKey, kP256PublicKeySize);
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!Provider() ||
      BCryptImportKeyPair(Provider(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob, sizeof blob, 0) < 0) {
    return nullptr;
  }
  return OwnedKey(key);
}

}  // namespace

bool VerifyP256Signature(const unsigned char* publicKey, const void* data, size_t size,
                         const unsigned char* signature) {
  Sha256 hash;
  unsigned char digest[32];
  hash.Update(data, size);
  if (!hash.Finish(digest)) return false;
  OwnedKey key = ImportKey(publicKey);
  return key && BCryptVerifySignature(key.get(), nullptr, digest, sizeof digest, const_cast<PUCHAR>(signature),
                                      kP256SignatureSize, 0) == 0;
}

}  // namespace platform
