#include "platform/tls_posix.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace net {
namespace detail {
namespace {

// One context for the process, made on first use: the trust store is read
// once.
SSL_CTX* Context() {
  static SSL_CTX* const context = [] {
    SSL_CTX* made = SSL_CTX_new(TLS_client_method());
    if (!made) return made;
    SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
    SSL_CTX_set_verify(made, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(made);
    if (const char* caFile = std::getenv("DOWNLOADER_CA_FILE"); caFile && *caFile) {
      SSL_CTX_load_verify_locations(made, caFile, nullptr);
    }
    // A close without close_notify reads as the end, as on a plain
    // connection; the transfer weighs the bytes against the length and the
    // digest.
    SSL_CTX_set_options(made, SSL_OP_IGNORE_UNEXPECTED_EOF);
    return made;
  }();
  return context;
}

Refusal RefusalOf(long verifyResult) {
  switch (verifyResult) {
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      return Refusal::kUntrustedIssuer;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return Refusal::kWrongName;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return Refusal::kExpired;
    default: return Refusal::kBadCertificate;
  }
}

// After an SSL call that did not complete: waits when libssl wants the
// socket, and says whether to call again.
bool WaitIfWanted(int error, const SocketWait& wait) {
  if (error == SSL_ERROR_WANT_READ) return wait(POLLIN);
  if (error == SSL_ERROR_WANT_WRITE) return wait(POLLOUT);
  return false;
}

}  // namespace

std::unique_ptr<cTlsStream> cTlsStream::Open(int socket, const std::string& host, const SocketWait& wait,
                                             Refusal* refusal) {
  *refusal = Refusal::kNone;
  SSL_CTX* context = Context();
  if (!context) return nullptr;
  std::unique_ptr<cTlsStream> stream(new cTlsStream(SSL_new(context)));
  SSL* const ssl = stream->ssl_.get();
  if (!ssl || !SSL_set_fd(ssl, socket)) return nullptr;
  // The certificate must name the host: an address as an address, a name
  // as a name (which also goes out as the server name).
  unsigned char address[16];
  const bool isAddress =
      inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
  X509_VERIFY_PARAM* checks = SSL_get0_param(ssl);
  if (isAddress) {
    if (!X509_VERIFY_PARAM_set1_ip_asc(checks, host.c_str())) return nullptr;
  } else if (!SSL_set_tlsext_host_name(ssl, host.c_str()) || !SSL_set1_host(ssl, host.c_str())) {
    return nullptr;
  }
  for (;;) {
    ERR_clear_error();
    const int done = SSL_connect(ssl);
    if (done == 1) return stream;
    const int error = SSL_get_error(ssl, done);
    if (WaitIfWanted(error, wait)) continue;
    const long verified = SSL_get_verify_result(ssl);
    if (verified != X509_V_OK) {
      *refusal = RefusalOf(verified);
    } else if (error == SSL_ERROR_SSL) {
      *refusal = Refusal::kBadCertificate;  // the server speaks no TLS we accept
    }
    return nullptr;
  }
}

bool cTlsStream::SendAll(const std::string& data, const SocketWait& wait) {
  size_t sent = 0;
  while (sent < data.size()) {
    ERR_clear_error();
    const int chunk = static_cast<int>(std::min<size_t>(data.size() - sent, INT_MAX));
    const int n = SSL_write(ssl_.get(), data.data() + sent, chunk);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (!WaitIfWanted(SSL_get_error(ssl_.get(), n), wait)) {
      return false;
    }
  }
  return true;
}

ssize_t cTlsStream::Receive(void* buffer, size_t size, const SocketWait& wait) {
  const int want = static_cast<int>(std::min<size_t>(size, INT_MAX));
  for (;;) {
    ERR_clear_error();
    const int n = SSL_read(ssl_.get(), buffer, want);
    if (n > 0) return n;
    const int error = SSL_get_error(ssl_.get(), n);
    if (error == SSL_ERROR_ZERO_RETURN) return 0;
    if (!WaitIfWanted(error, wait)) return -1;
  }
}

}  // namespace detail
}  // namespace net
