#pragma once
// Reading an ECDSA P-256 public key from its PEM SubjectPublicKeyInfo (as
// `openssl pkey -pubout` and `manifest-tool keygen` write it), with the
// system's decoder: crypt32 on Windows, libcrypto elsewhere.

#include <string>

namespace platform {

// X then Y (platform/signature.h's form) of the key in `pem`; false when
// it is no PEM public key or not one of P-256.
bool ReadP256PublicKey(const std::string& pem, unsigned char* publicKey);

}  // namespace platform
