#pragma once
// Linux only: the owner of libcrypto's and libssl's objects, each freed by its
// own function in exactly one place. Windows uses CNG (platform/owned_cng.h).

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/ssl.h>

#include <memory>

namespace platform {

struct OpenSslFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
  void operator()(BIGNUM* number) const { BN_free(number); }
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
  void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
  void operator()(OSSL_PARAM* params) const { OSSL_PARAM_free(params); }
  void operator()(OSSL_PARAM_BLD* builder) const { OSSL_PARAM_BLD_free(builder); }
  void operator()(SSL* connection) const { SSL_free(connection); }
  void operator()(unsigned char* bytes) const { OPENSSL_free(bytes); }
};
template <class T>
using OpenSslOwned = std::unique_ptr<T, OpenSslFree>;

}  // namespace platform
