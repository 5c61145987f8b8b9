#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "platform/openssl_posix.h"
#include "platform/owned_file.h"
#include "platform/signature.h"
#include "tools/manifest/manifest_text.h"
#include "tools/manifest/signing.h"

namespace manifest_tool {

namespace {

using OwnedKey = platform::OpenSslOwned<EVP_PKEY>;
using platform::OwnedFile;

std::string OpenSslError() {
  char text[256] = "";
  ERR_error_string_n(ERR_get_error(), text, sizeof text);
  return text;
}

// A new file only, made with `mode` from the start: a private key is never
// readable by others, not even for a moment.
OwnedFile CreateNew(const std::string& path, mode_t mode, std::string* error) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
  if (descriptor < 0) {
    *error = path + ": cannot be made (it may exist already)";
    return nullptr;
  }
  OwnedFile file(fdopen(descriptor, "w"));
  if (!file) {
    close(descriptor);
    unlink(path.c_str());
    *error = path + ": cannot be opened for writing";
  }
  return file;
}

bool IsP256(EVP_PKEY* key) {
  char group[64] = "";
  size_t length = 0;
  return EVP_PKEY_is_a(key, "EC") &&
         EVP_PKEY_get_utf8_string_param(key, "group", group, sizeof group, &length) == 1 &&
         std::string(group) == "prime256v1";
}

OwnedKey ReadKey(const std::string& path, bool isPrivate, std::string* error) {
  OwnedFile file(std::fopen(path.c_str(), "r"));
  if (!file) {
    *error = path + ": cannot be read";
    return nullptr;
  }
  OwnedKey key(isPrivate ? PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr)
                         : PEM_read_PUBKEY(file.get(), nullptr, nullptr, nullptr));
  if (!key) {
    *error = path + ": not a PEM " + (isPrivate ? "private" : "public") + " key: " + OpenSslError();
  } else if (!IsP256(key.get())) {
    *error = path + ": not an ECDSA P-256 key";
    key.reset();
  }
  return key;
}

}  // namespace

bool CanSign() { return true; }

bool MakeKeyPair(const std::string& privatePath, const std::string& publicPath, std::string* error) {
  OwnedKey key(EVP_EC_gen("P-256"));
  if (!key) {
    *error = "no key made: " + OpenSslError();
    return false;
  }
  OwnedFile privateFile = CreateNew(privatePath, 0600, error);
  if (!privateFile) return false;
  OwnedFile publicFile = CreateNew(publicPath, 0644, error);
  if (!publicFile) {
    privateFile.reset();
    unlink(privatePath.c_str());
    return false;
  }
  const bool written = PEM_write_PrivateKey(privateFile.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1 &&
                       PEM_write_PUBKEY(publicFile.get(), key.get()) == 1;
  const bool closed = platform::CloseChecked(std::move(privateFile)) && platform::CloseChecked(std::move(publicFile));
  if (!written || !closed) {
    *error = "the keys could not be written";
    unlink(privatePath.c_str());
    unlink(publicPath.c_str());
    return false;
  }
  return true;
}

bool SignManifest(const std::string& manifestPath, const std::string& keyPath, std::string* error) {
  OwnedKey key = ReadKey(keyPath, true, error);
  if (!key) return false;
  std::string bytes;
  if (!ReadWholeFile(manifestPath, &bytes)) {
    *error = manifestPath + ": cannot be read";
    return false;
  }
  unsigned char raw[platform::kP256SignatureSize];
  if (!platform::SignP256(key.get(), bytes.data(), bytes.size(), raw)) {
    *error = "cannot sign: " + OpenSslError();
    return false;
  }
  return ReplaceFile(manifestPath + ".sig", std::string(reinterpret_cast<char*>(raw), sizeof raw), error);
}

}  // namespace manifest_tool
