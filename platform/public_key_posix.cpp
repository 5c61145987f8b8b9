#include <openssl/core_names.h>
#include <openssl/pem.h>

#include <cstring>

#include "platform/owned_openssl.h"
#include "platform/public_key.h"
#include "platform/signature.h"

namespace platform {

bool ReadP256PublicKey(const std::string& pem, unsigned char* publicKey) {
  OpenSslOwned<BIO> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  OpenSslOwned<EVP_PKEY> key(bio ? PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr);
  char group[64] = "";
  unsigned char point[1 + kP256PublicKeySize];
  size_t length = 0;
  if (!key || !EVP_PKEY_is_a(key.get(), "EC") ||
      EVP_PKEY_get_utf8_string_param(key.get(), OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, nullptr) != 1 ||
      std::strcmp(group, "prime256v1") != 0 ||
      EVP_PKEY_get_octet_string_param(key.get(), OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, point, sizeof point, &length) !=
          1 ||
      length != sizeof point || point[0] != 0x04) {
    return false;
  }
  std::memcpy(publicKey, point + 1, kP256PublicKeySize);
  return true;
}

}  // namespace platform
