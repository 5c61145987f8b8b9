#pragma once
// What the Linux side does with libcrypto in more than one place: P-256 keys
// and signatures in the raw form the program stores (X||Y, r||s). Linux only;
// Windows uses CNG.

#include <cstddef>

#include "platform/owned_openssl.h"

namespace platform {

// The P-256 key of the raw point `publicKey` (kP256PublicKeySize bytes) and,
// when `secret` is given, its 32-byte private number; null when they are no
// key of the curve.
OpenSslOwned<EVP_PKEY> P256KeyFromNumbers(const unsigned char* publicKey, const unsigned char* secret = nullptr);

// Signs the SHA-256 of the `size` bytes at `data` with `key` into `raw`
// (kP256SignatureSize bytes, r then s); false when libcrypto fails.
bool SignP256(EVP_PKEY* key, const void* data, size_t size, unsigned char* raw);

}  // namespace platform
