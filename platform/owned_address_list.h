#pragma once
// Linux only: the owner of the address list getaddrinfo returns, freed with
// freeaddrinfo in one place, the owner's end.

#include <netdb.h>

#include <memory>

namespace platform {

struct AddressListFree {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using OwnedAddressList = std::unique_ptr<addrinfo, AddressListFree>;

}  // namespace platform
