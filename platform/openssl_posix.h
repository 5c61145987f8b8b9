#pragma once
// What the Linux side does with libcrypto in more than one place: one owner
// for its objects, each freed by its own function in exactly one place, and
// P-256 keys and signatures in the raw form the program stores (X||Y, r||s).
// Linux only; Windows uses CNG.

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <cstddef>
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
  void operator()(unsigned char* bytes) const { OPENSSL_free(bytes); }
};
template <class T>
using OpenSslOwned = std::unique_ptr<T, OpenSslFree>;

// The P-256 key of the raw point `publicKey` (kP256PublicKeySize bytes) and,
// when `secret` is given, its 32-byte private number; null when they are no
// key of the curve.
OpenSslOwned<EVP_PKEY> P256KeyFromNumbers(const unsigned char* publicKey, const unsigned char* secret = nullptr);

// Signs the SHA-256 of the `size` bytes at `data` with `key` into `raw`
// (kP256SignatureSize bytes, r then s); false when libcrypto fails.
bool SignP256(EVP_PKEY* key, const void* data, size_t size, unsigned char* raw);

}  // namespace platform
