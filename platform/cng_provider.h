#pragma once
// Windows only: CNG's algorithm providers for SHA-256 and ECDSA P-256, each
// opened on first use and kept, never closed, for the process: opening one
// costs far more than a hash object or a key, and hashes made on it may be in
// use on any thread until the process ends.

#include <windows.h>
#include <bcrypt.h>

namespace platform {

enum class CngAlgorithm { kSha256, kEcdsaP256 };

// The provider of `algorithm`; null when the system cannot open it.
BCRYPT_ALG_HANDLE CngProvider(CngAlgorithm algorithm);

}  // namespace platform
