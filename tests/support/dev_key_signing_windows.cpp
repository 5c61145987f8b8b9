// Signing with CNG, from the key's raw numbers in an ECCPRIVATE blob; CNG
// writes r||s as the program reads it.

#include <cstring>

#include "dev_manifest_key.h"  // generated: kDevKeyPublic, kDevKeyPrivate
#include "platform/cng_provider.h"
#include "platform/owned_cng.h"
#include "platform/sha256.h"
#include "tests/support/dev_key_signing.h"

std::string DevKeySignature(const std::string& bytes) {
  platform::Sha256 hash;
  unsigned char digest[32];
  hash.Update(bytes.data(), bytes.size());
  const BCRYPT_ALG_HANDLE provider = platform::CngProvider(platform::CngAlgorithm::kEcdsaP256);
  if (!hash.Finish(digest) || !provider) return "";
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 96];
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, kDevKeyPublic, 64);
  std::memcpy(blob + sizeof header + 64, kDevKeyPrivate, 32);
  BCRYPT_KEY_HANDLE imported = nullptr;
  if (BCryptImportKeyPair(provider, nullptr, BCRYPT_ECCPRIVATE_BLOB, &imported, blob, sizeof blob, 0) < 0) return "";
  const platform::OwnedCngKey key(imported);
  unsigned char signature[64];
  ULONG written = 0;
  const bool signedOk = BCryptSignHash(key.get(), nullptr, digest, sizeof digest, signature, sizeof signature,
                                       &written, 0) >= 0 &&
                        written == sizeof signature;
  return signedOk ? std::string(reinterpret_cast<char*>(signature), sizeof signature) : "";
}
