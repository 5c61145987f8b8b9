#pragma once
// The public keys this build trusts to sign "file.json", compiled in from
// the CMake cache variable DOWNLOADER_MANIFEST_KEYS.

#include <cstddef>

namespace platform {

// False only in a build configured with DOWNLOADER_UNSIGNED_MANIFESTS=ON,
// which takes any manifest as it comes.
bool ManifestSignaturesRequired();

// True when the 64-byte `signature` (r||s) signs the `size` bytes at `data`
// by any trusted key, so that an operator can roll a key over.
bool SignedByManifestKey(const void* data, size_t size, const unsigned char* signature);

}  // namespace platform
