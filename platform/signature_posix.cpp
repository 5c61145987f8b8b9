// Verification through libcrypto: the raw point becomes a key, the raw
// signature the DER form EVP_DigestVerify takes.

#include <openssl/core_names.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>

#include "platform/signature.h"

namespace platform {

namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
  void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
struct DigestFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct SignatureFree {
  void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
};
struct ParamsFree {
  void operator()(OSSL_PARAM* params) const { OSSL_PARAM_free(params); }
};
struct BuilderFree {
  void operator()(OSSL_PARAM_BLD* builder) const { OSSL_PARAM_BLD_free(builder); }
};
struct BytesFree {
  void operator()(unsigned char* bytes) const { OPENSSL_free(bytes); }
};

std::unique_ptr<EVP_PKEY, KeyFree> ImportKey(const unsigned char* publicKey) {
  unsigned char point[1 + kP256PublicKeySize] = {0x04};
  for (size_t i = 0; i < kP256PublicKeySize; ++i) point[1 + i] = publicKey[i];
  std::unique_ptr<OSSL_PARAM_BLD, BuilderFree> builder(OSSL_PARAM_BLD_new());
  if (!builder ||
      OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0) != 1 ||
      OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point) != 1) {
    return nullptr;
  }
  std::unique_ptr<OSSL_PARAM, ParamsFree> params(OSSL_PARAM_BLD_to_param(builder.get()));
  std::unique_ptr<EVP_PKEY_CTX, ContextFree> context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    return nullptr;
  }
  return std::unique_ptr<EVP_PKEY, KeyFree>(key);
}

}  // namespace

bool VerifyP256Signature(const unsigned char* publicKey, const void* data, size_t size,
                         const unsigned char* signature) {
  std::unique_ptr<EVP_PKEY, KeyFree> key = ImportKey(publicKey);
  if (!key) return false;
  std::unique_ptr<ECDSA_SIG, SignatureFree> parts(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature, 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature + 32, 32, nullptr);
  if (!parts || !r || !s || ECDSA_SIG_set0(parts.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return false;
  }
  unsigned char* der = nullptr;
  const int derSize = i2d_ECDSA_SIG(parts.get(), &der);
  std::unique_ptr<unsigned char, BytesFree> ownedDer(der);
  std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
  return derSize > 0 && context &&
         EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) == 1 &&
         EVP_DigestVerify(context.get(), der, static_cast<size_t>(derSize), static_cast<const unsigned char*>(data),
                          size) == 1;
}

}  // namespace platform
