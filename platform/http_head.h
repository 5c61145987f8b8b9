#pragma once
// Inside the Linux network seam: what it reads from text the caller or the
// server gives it, apart from any socket. A URL ("http[s]://host[:port]/path")
// and a response head (the status line and the header lines, without the
// blank line that ends them).

#include <cstdint>
#include <string>

namespace net {

struct ParsedUrl {
  bool secure = false;  // https
  std::string host;
  std::string port = "80";
  std::string hostHeader;  // host[:port] as written
  std::string target;      // path and query
};

// An http or https URL's parts (the port defaults to 80 or 443). False for
// another scheme, a user name, an empty host,
// a port that is not a number, and a target with a byte a request line
// cannot carry (a blank or a control character).
bool ParseUrl(const char* url, ParsedUrl* parsed);

// The value of header `name` (case-insensitive) in `head`, the lines after
// the status line, without surrounding white space. The first one counts.
bool FindHeader(const std::string& head, const char* name, std::string* value);

// What a response head says about its body.
struct ResponseHead {
  int status = 0;
  // A Transfer-Encoding other than identity: a body the seam does not
  // decode, so reading it fails.
  bool encodedTransfer = false;
  // The body's length is known: a Content-Length, or none by its status
  // (204, 304); otherwise the body lasts until the connection ends.
  bool lengthKnown = false;
  int64_t length = 0;
  // The server lets the connection carry another request after this one:
  // HTTP/1.1 unless it says "Connection: close", HTTP/1.0 only when it says
  // "Connection: keep-alive".
  bool keepsConnection = false;
};

// The status line and the body's framing. False for a head that is not a
// final HTTP response (no status line, a status below 200) or whose
// Content-Length is not a number.
bool ParseResponseHead(const std::string& head, ResponseHead* parsed);

}  // namespace net
