// Signing with libcrypto, from the key's raw numbers.

#include "dev_manifest_key.h"  // generated: kDevKeyPublic, kDevKeyPrivate
#include "platform/openssl_posix.h"
#include "platform/signature.h"
#include "tests/support/dev_key_signing.h"

std::string DevKeySignature(const std::string& bytes) {
  platform::OpenSslOwned<EVP_PKEY> key = platform::P256KeyFromNumbers(kDevKeyPublic, kDevKeyPrivate);
  unsigned char raw[platform::kP256SignatureSize];
  if (!key || !platform::SignP256(key.get(), bytes.data(), bytes.size(), raw)) return "";
  return std::string(reinterpret_cast<char*>(raw), sizeof raw);
}
