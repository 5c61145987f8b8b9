// Verification through libcrypto: the raw point becomes a key, the raw
// signature the DER form EVP_DigestVerify takes.

#include <openssl/core_names.h>

#include <vector>

#include "platform/openssl_posix.h"
#include "platform/signature.h"

namespace platform {

OpenSslOwned<EVP_PKEY> P256KeyFromNumbers(const unsigned char* publicKey, const unsigned char* secret) {
  unsigned char point[1 + kP256PublicKeySize] = {0x04};
  for (size_t i = 0; i < kP256PublicKeySize; ++i) point[1 + i] = publicKey[i];
  OpenSslOwned<BIGNUM> secretNumber(secret ? BN_bin2bn(secret, 32, nullptr) : nullptr);
  OpenSslOwned<OSSL_PARAM_BLD> builder(OSSL_PARAM_BLD_new());
  if (!builder || (secret && !secretNumber) ||
      OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0) != 1 ||
      OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point) != 1 ||
      (secret && OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_PRIV_KEY, secretNumber.get()) != 1)) {
    return nullptr;
  }
  OpenSslOwned<OSSL_PARAM> params(OSSL_PARAM_BLD_to_param(builder.get()));
  OpenSslOwned<EVP_PKEY_CTX> context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &key, secret ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    return nullptr;
  }
  return OpenSslOwned<EVP_PKEY>(key);
}

bool SignP256(EVP_PKEY* key, const void* data, size_t size, unsigned char* raw) {
  OpenSslOwned<EVP_MD_CTX> context(EVP_MD_CTX_new());
  const auto* bytes = static_cast<const unsigned char*>(data);
  size_t derSize = 0;
  if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key) != 1 ||
      EVP_DigestSign(context.get(), nullptr, &derSize, bytes, size) != 1) {
    return false;
  }
  std::vector<unsigned char> der(derSize);
  if (EVP_DigestSign(context.get(), der.data(), &derSize, bytes, size) != 1) return false;
  // libcrypto writes DER; the program stores r and s, 32 bytes each.
  const unsigned char* cursor = der.data();
  OpenSslOwned<ECDSA_SIG> parts(d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(derSize)));
  return parts && BN_bn2binpad(ECDSA_SIG_get0_r(parts.get()), raw, 32) == 32 &&
         BN_bn2binpad(ECDSA_SIG_get0_s(parts.get()), raw + 32, 32) == 32;
}

bool VerifyP256Signature(const unsigned char* publicKey, const void* data, size_t size,
                         const unsigned char* signature) {
  OpenSslOwned<EVP_PKEY> key = P256KeyFromNumbers(publicKey);
  if (!key) return false;
  OpenSslOwned<ECDSA_SIG> parts(ECDSA_SIG_new());
  OpenSslOwned<BIGNUM> r(BN_bin2bn(signature, 32, nullptr));
  OpenSslOwned<BIGNUM> s(BN_bin2bn(signature + 32, 32, nullptr));
  if (!parts || !r || !s || ECDSA_SIG_set0(parts.get(), r.get(), s.get()) != 1) return false;
  // The signature owns r and s now.
  r.release();
  s.release();
  unsigned char* der = nullptr;
  const int derSize = i2d_ECDSA_SIG(parts.get(), &der);
  OpenSslOwned<unsigned char> ownedDer(der);
  OpenSslOwned<EVP_MD_CTX> context(EVP_MD_CTX_new());
  return derSize > 0 && context &&
         EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) == 1 &&
         EVP_DigestVerify(context.get(), der, static_cast<size_t>(derSize), static_cast<const unsigned char*>(data),
                          size) == 1;
}

}  // namespace platform
