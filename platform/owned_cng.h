#pragma once
// Windows only: the owners of what the system's cryptography hands over, each
// released by its own function in one place: CNG's hash objects and keys
// (bcrypt.dll), and the structures crypt32 decodes into memory of its own
// allocation (CRYPT_DECODE_ALLOC_FLAG: LocalAlloc, freed with LocalFree).

#include <windows.h>
#include <bcrypt.h>

#include <memory>

namespace platform {

struct CngHashDestroyer {
  void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};
using OwnedCngHash = std::unique_ptr<void, CngHashDestroyer>;

struct CngKeyDestroyer {
  void operator()(BCRYPT_KEY_HANDLE key) const { BCryptDestroyKey(key); }
};
using OwnedCngKey = std::unique_ptr<void, CngKeyDestroyer>;

struct LocalMemoryFree {
  void operator()(void* memory) const { LocalFree(memory); }
};
// `T` is the type crypt32 decoded (CERT_PUBLIC_KEY_INFO, ...).
template <class T>
using OwnedLocalMemory = std::unique_ptr<T, LocalMemoryFree>;

}  // namespace platform
