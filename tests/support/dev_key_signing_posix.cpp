// Signing with libcrypto, from the key's raw numbers.

#include <openssl/core_names.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>
#include <vector>

#include "dev_manifest_key.h"  // generated: kDevKeyPublic, kDevKeyPrivate
#include "tests/support/dev_key_signing.h"

namespace {

struct Free {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
  void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
  void operator()(OSSL_PARAM* params) const { OSSL_PARAM_free(params); }
  void operator()(OSSL_PARAM_BLD* builder) const { OSSL_PARAM_BLD_free(builder); }
  void operator()(BIGNUM* number) const { BN_free(number); }
};

std::unique_ptr<EVP_PKEY, Free> DevKey() {
  unsigned char point[65] = {0x04};
  for (int i = 0; i < 64; ++i) point[1 + i] = kDevKeyPublic[i];
  std::unique_ptr<BIGNUM, Free> secret(BN_bin2bn(kDevKeyPrivate, 32, nullptr));
  std::unique_ptr<OSSL_PARAM_BLD, Free> builder(OSSL_PARAM_BLD_new());
  if (!secret || !builder ||
      OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0) != 1 ||
      OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point) != 1 ||
      OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_PRIV_KEY, secret.get()) != 1) {
    return nullptr;
  }
  std::unique_ptr<OSSL_PARAM, Free> params(OSSL_PARAM_BLD_to_param(builder.get()));
  std::unique_ptr<EVP_PKEY_CTX, Free> context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_KEYPAIR, params.get()) != 1) {
    return nullptr;
  }
  return std::unique_ptr<EVP_PKEY, Free>(key);
}

}  // namespace

std::string DevKeySignature(const std::string& bytes) {
  std::unique_ptr<EVP_PKEY, Free> key = DevKey();
  std::unique_ptr<EVP_MD_CTX, Free> context(EVP_MD_CTX_new());
  size_t size = 0;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (!key || !context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
      EVP_DigestSign(context.get(), nullptr, &size, data, bytes.size()) != 1) {
    return "";
  }
  std::vector<unsigned char> der(size);
  if (EVP_DigestSign(context.get(), der.data(), &size, data, bytes.size()) != 1) return "";
  const unsigned char* cursor = der.data();
  std::unique_ptr<ECDSA_SIG, Free> parts(d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(size)));
  unsigned char raw[64];
  if (!parts || BN_bn2binpad(ECDSA_SIG_get0_r(parts.get()), raw, 32) != 32 ||
      BN_bn2binpad(ECDSA_SIG_get0_s(parts.get()), raw + 32, 32) != 32) {
    return "";
  }
  return std::string(reinterpret_cast<char*>(raw), sizeof raw);
}
