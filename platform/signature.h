#pragma once
// ECDSA P-256 signatures over SHA-256, verified by the system: CNG
// (bcrypt.dll) on Windows, libcrypto elsewhere. Nothing home-made.

#include <cstddef>

namespace platform {

// A public key as the point's two coordinates, X then Y, each 32 bytes
// big-endian (the uncompressed point without its leading 0x04).
constexpr size_t kP256PublicKeySize = 64;
// A signature as r then s, each 32 bytes big-endian.
constexpr size_t kP256SignatureSize = 64;

// True when `signature` signs the SHA-256 of the `size` bytes at `data` with
// the private half of `publicKey`. False for any other signature, a key that
// is not a point of the curve, or a failure of the system.
bool VerifyP256Signature(const unsigned char* publicKey, const void* data, size_t size,
                         const unsigned char* signature);

}  // namespace platform
