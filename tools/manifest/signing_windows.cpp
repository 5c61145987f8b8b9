// The Windows build of the tool writes and checks manifests (signatures
// too); keys and signatures are made by the native build, where the
// operator signs.

#include "tools/manifest/signing.h"

namespace manifest_tool {

namespace {
const char kNativeOnly[] = "keys and signatures are made by the native build of manifest-tool";
}

bool CanSign() { return false; }

bool MakeKeyPair(const std::string&, const std::string&, std::string* error) {
  *error = kNativeOnly;
  return false;
}

bool SignManifest(const std::string&, const std::string&, std::string* error) {
  *error = kNativeOnly;
  return false;
}

}  // namespace manifest_tool
