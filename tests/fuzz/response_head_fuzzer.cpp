// Fuzzes the Linux network seam's reading of a response head: the status,
// the body's framing and header lookups, with any bytes; then a head built
// from the input's numbers reads back as built.

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/http_head.h"
#include "tests/fuzz/fuzz_require.h"

namespace {

// A looked-up value is a part of one header line, trimmed.
void CheckLookup(const std::string& head, const char* name) {
  std::string value;
  if (!net::FindHeader(head, name, &value)) return;
  Require(value.size() < head.size());
  Require(value.find("\r\n") == std::string::npos);
  if (!value.empty()) {
    for (char edge : {value.front(), value.back()}) Require(edge != ' ' && edge != '\t');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string head(reinterpret_cast<const char*>(data), size);
  net::ResponseHead parsed;
  if (net::ParseResponseHead(head, &parsed)) {
    Require(parsed.status >= 200 && parsed.status <= 999);
    Require(parsed.length >= 0);
    if (parsed.encodedTransfer) Require(!parsed.lengthKnown);
    if (!parsed.lengthKnown) Require(parsed.length == 0);
  }
  for (const char* name : {"Content-Length", "Content-Range", "Content-Encoding", "Transfer-Encoding", ""}) {
    CheckLookup(head, name);
  }

  if (size < 10) return 0;
  const int status = 200 + data[0] % 800;
  uint64_t length = 0;
  for (size_t i = 1; i < 9; ++i) length = length << 8 | data[i];
  length &= INT64_MAX;
  char built[160];
  std::snprintf(built, sizeof built, "HTTP/1.%d %d Whatever\r\ncontent-length:\t %" PRId64 " \r\nX: y", data[9] % 2,
                status, static_cast<int64_t>(length));
  net::ResponseHead read;
  Require(net::ParseResponseHead(built, &read));
  Require(read.status == status && !read.encodedTransfer && read.lengthKnown);
  Require(read.length == ((status == 204 || status == 304) ? 0 : static_cast<int64_t>(length)));
  return 0;
}
