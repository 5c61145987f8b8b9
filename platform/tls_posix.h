#pragma once
// Inside the Linux network seam: TLS over one connected, non-blocking socket,
// through libssl. The server's certificate must chain to the system's trust
// store, or to the CA certificates of the PEM file that the environment
// variable DOWNLOADER_CA_FILE names (the tests' own throwaway authority), and
// must name the host; nothing is ever overlooked. Every wait goes through the
// caller's wait, which slices it and watches the running flag.

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/net.h"
#include "platform/owned_openssl.h"

namespace net {
namespace detail {

// Waits until the socket is ready for `events` (POLLIN, POLLOUT); false
// ends the call that waits (timeout, stop, closed session).
using SocketWait = std::function<bool(short events)>;

class cTlsStream {
 public:
  cTlsStream(const cTlsStream&) = delete;
  cTlsStream& operator=(const cTlsStream&) = delete;

  // The handshake with `host` on `socket`, its certificate checked. Null on
  // failure; `*refusal` then says whether the certificate or the secure
  // channel was refused (kNone: the connection failed, or the wait ended).
  static std::unique_ptr<cTlsStream> Open(int socket, const std::string& host, const SocketWait& wait,
                                          Refusal* refusal);

  bool SendAll(const std::string& data, const SocketWait& wait);
  // What has arrived, at most `size` bytes, waiting for the first: > 0
  // bytes, 0 at the end of the stream (the server's close, announced or
  // not, as on a plain connection), -1 on failure.
  ssize_t Receive(void* buffer, size_t size, const SocketWait& wait);

 private:
  explicit cTlsStream(SSL* ssl) : ssl_(ssl) {}
  const platform::OpenSslOwned<SSL> ssl_;
};

}  // namespace detail
}  // namespace net
