#include "platform/manifest_keys.h"

#include "trusted_manifest_keys.h"  // generated from DOWNLOADER_MANIFEST_KEYS
#include "platform/signature.h"

namespace platform {

bool ManifestSignaturesRequired() { return DOWNLOADER_MANIFEST_KEY_COUNT > 0; }

bool SignedByManifestKey(const void* data, size_t size, const unsigned char* signature) {
  for (int i = 0; i < DOWNLOADER_MANIFEST_KEY_COUNT; ++i) {
    if (VerifyP256Signature(kManifestKeys[i], data, size, signature)) return true;
  }
  return false;
}

}  // namespace platform
