// Checking a signature, in both builds of the tool: the key read and the
// signature verified by the system, as the downloader verifies it.

#include "platform/public_key.h"
#include "platform/signature.h"
#include "tools/manifest/manifest_text.h"
#include "tools/manifest/signing.h"

namespace manifest_tool {

bool VerifyManifest(const std::string& manifestPath, const std::string& publicPath, std::string* error) {
  std::string pem;
  unsigned char key[platform::kP256PublicKeySize];
  if (!ReadWholeFile(publicPath, &pem)) {
    *error = publicPath + ": cannot be read";
    return false;
  }
  if (!platform::ReadP256PublicKey(pem, key)) {
    *error = publicPath + ": not a PEM ECDSA P-256 public key";
    return false;
  }
  std::string bytes;
  std::string signature;
  if (!ReadWholeFile(manifestPath, &bytes)) {
    *error = manifestPath + ": cannot be read";
    return false;
  }
  if (!ReadWholeFile(manifestPath + ".sig", &signature) || signature.size() != platform::kP256SignatureSize) {
    *error = "the signature " + manifestPath + ".sig is missing or is not 64 bytes";
    return false;
  }
  if (!platform::VerifyP256Signature(key, bytes.data(), bytes.size(),
                                     reinterpret_cast<const unsigned char*>(signature.data()))) {
    *error = manifestPath + " does not match its signature " + manifestPath + ".sig by " + publicPath;
    return false;
  }
  return true;
}

}  // namespace manifest_tool
