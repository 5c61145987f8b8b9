// Signing with CNG, from the key's raw numbers in an ECCPRIVATE blob; CNG
// writes r||s as the program reads it.

#include <windows.h>
#include <bcrypt.h>

#include <cstring>

#include "dev_manifest_key.h"  // generated: kDevKeyPublic, kDevKeyPrivate
#include "platform/sha256.h"
#include "tests/support/dev_key_signing.h"

std::string DevKeySignature(const std::string& bytes) {
  platform::Sha256 hash;
  unsigned char digest[32];
  hash.Update(bytes.data(), bytes.size());
  if (!hash.Finish(digest)) return "";
  BCRYPT_ALG_HANDLE provider = nullptr;
  if (BCryptOpenAlgorithmProvider(&provider, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) < 0) return "";
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 96];
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, kDevKeyPublic, 64);
  std::memcpy(blob + sizeof header + 64, kDevKeyPrivate, 32);
  BCRYPT_KEY_HANDLE key = nullptr;
  unsigned char signature[64];
  ULONG written = 0;
  const bool signedOk =
      BCryptImportKeyPair(provider, nullptr, BCRYPT_ECCPRIVATE_BLOB, &key, blob, sizeof blob, 0) >= 0 &&
      BCryptSignHash(key, nullptr, digest, sizeof digest, signature, sizeof signature, &written, 0) >= 0 &&
      written == sizeof signature;
  if (key) BCryptDestroyKey(key);
  BCryptCloseAlgorithmProvider(provider, 0);
  return signedOk ? std::string(reinterpret_cast<char*>(signature), sizeof signature) : "";
}
