#pragma once
// The operator's half of signed manifests: key pairs and signatures made
// with libcrypto, in the files openssl reads and writes, so the private key
// can live wherever the operator signs (never on the content server). The
// downloader verifies with platform/signature.h.

#include <string>

namespace manifest_tool {

// Whether this build of the tool can make keys and signatures (the native
// one; the Windows one writes and checks).
bool CanSign();

// A new ECDSA P-256 pair: the private key as PKCS#8 PEM (readable by its
// owner only), the public one as PEM SubjectPublicKeyInfo. Neither file may
// exist already. False with `error` set on failure.
bool MakeKeyPair(const std::string& privatePath, const std::string& publicPath, std::string* error);

// Signs the exact bytes of `manifestPath` with the PEM private key at
// `keyPath` and writes the signature, r then s (64 bytes), to
// `manifestPath` + ".sig".
bool SignManifest(const std::string& manifestPath, const std::string& keyPath, std::string* error);

// Whether `manifestPath` + ".sig" signs `manifestPath` by the PEM public key
// at `publicPath`. False with `error` saying why not.
bool VerifyManifest(const std::string& manifestPath, const std::string& publicPath, std::string* error);

}  // namespace manifest_tool
