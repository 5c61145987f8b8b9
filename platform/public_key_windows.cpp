// The PEM's base64 and the SubjectPublicKeyInfo decoded by crypt32.

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <vector>

#include "platform/owned_cng.h"
#include "platform/public_key.h"
#include "platform/signature.h"

namespace platform {

namespace {

// The DER of the named curve P-256's object identifier, 1.2.840.10045.3.1.7.
const unsigned char kP256Curve[] = {0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07};

}  // namespace

bool ReadP256PublicKey(const std::string& pem, unsigned char* publicKey) {
  DWORD derSize = 0;
  if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr, &derSize,
                            nullptr, nullptr)) {
    return false;
  }
  std::vector<BYTE> der(derSize);
  if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                            &derSize, nullptr, nullptr)) {
    return false;
  }
  CERT_PUBLIC_KEY_INFO* decoded = nullptr;
  DWORD decodedSize = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, der.data(), derSize, CRYPT_DECODE_ALLOC_FLAG,
                           nullptr, &decoded, &decodedSize)) {
    return false;
  }
  const OwnedLocalMemory<CERT_PUBLIC_KEY_INFO> owned(decoded);
  const CRYPT_BIT_BLOB& point = decoded->PublicKey;
  const CRYPT_OBJID_BLOB& curve = decoded->Algorithm.Parameters;
  if (std::strcmp(decoded->Algorithm.pszObjId, szOID_ECC_PUBLIC_KEY) != 0 || curve.cbData != sizeof kP256Curve ||
      std::memcmp(curve.pbData, kP256Curve, sizeof kP256Curve) != 0 || point.cbData != 1 + kP256PublicKeySize ||
      point.pbData[0] != 0x04) {
    return false;
  }
  std::memcpy(publicKey, point.pbData + 1, kP256PublicKeySize);
  return true;
}

}  // namespace platform
