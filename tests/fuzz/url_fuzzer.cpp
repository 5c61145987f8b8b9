// Fuzzes the Linux network seam's URL reader: whatever it accepts splits
// into a host, a numeric port and a target that the URL's bytes cannot turn
// into a second request line.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/http_head.h"
#include "tests/fuzz/fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string url(reinterpret_cast<const char*>(data), size);
  net::ParsedUrl parsed;
  if (!net::ParseUrl(url.c_str(), &parsed)) return 0;
  Require(!parsed.host.empty());
  Require(!parsed.port.empty() && parsed.port.find_first_not_of("0123456789") == std::string::npos);
  Require(parsed.hostHeader == parsed.host || parsed.hostHeader == parsed.host + ":" + parsed.port);
  Require(parsed.hostHeader.find_first_of("@/?#") == std::string::npos);
  Require(!parsed.target.empty() && parsed.target[0] == '/');
  Require(parsed.target.find('#') == std::string::npos);
  for (char c : parsed.target) Require(static_cast<unsigned char>(c) > ' ');
  // The URL is the scheme, the host header and the target, in that order.
  const size_t scheme = parsed.secure ? 8 : 7;
  Require(url.size() >= scheme + parsed.hostHeader.size());
  Require(url.compare(scheme, parsed.hostHeader.size(), parsed.hostHeader) == 0);
  return 0;
}
