// The network seam on Linux: a small HTTP/1.1 client over POSIX sockets (and
// TLS through libssl for https, platform/tls_posix.h) with the behaviour of
// the WinINet calls the transfer makes. A session keeps the connection of a
// response read to its end, when the server allows, and sends its next
// request to that server over it (WinINet keeps its connections too); a kept
// connection the server has closed meanwhile is replaced once. Bodies are
// framed by Content-Length or by the end of the connection. Chunked bodies are not decoded (reads of them fail): such
// a response has no Content-Length, and the transfer cannot use it anyway.
// Interim (1xx) responses and redirects are not followed; a redirect from
// https to http is refused as such. Sockets do not
// block: every wait on the server (connect, send, head, body) is a poll in
// slices, bounded by the session's timeout and its running flag; closing the
// session shuts its sockets down, which ends a poll at once.

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/http_head.h"
#include "platform/net.h"
#include "platform/net_handles.h"
#include "platform/owned_address_list.h"
#include "platform/owned_descriptor.h"
#include "platform/tls_posix.h"

namespace net {
namespace {

// The most a response head may take; a longer one is refused.
constexpr size_t kMaxHeadSize = 64 * 1024;
// What QueryDataAvailable reports at most, like WinINet's own read buffer.
constexpr uint32_t kAvailableLimit = 64 * 1024;

using detail::cTlsStream;
using detail::Handles;
using detail::Record;

// A connection between two requests: its server ("https://host:port"), its
// socket (still on the session's list, so a close of the session shuts it
// down) and its TLS stream.
struct KeptConnection {
  std::string origin;
  platform::OwnedDescriptor socket;
  std::unique_ptr<cTlsStream> tls;  // freed before the socket closes
};

// A session and its requests. The lock guards the socket list and the kept
// connection: a socket is closed and removed under it, so closing the session
// never shuts down a socket number that has meanwhile been reused.
struct Session : detail::SessionRecord {
  std::string agent;
  uint32_t timeoutMs = kDefaultTimeoutMs;
  const std::atomic<int>* running = nullptr;
  std::atomic<bool> closed{false};
  std::mutex lock;
  std::vector<int> sockets;
  std::unique_ptr<KeptConnection> kept;
};

struct Request : detail::RequestRecord {
  ~Request() override;
  std::shared_ptr<Session> session;
  std::string origin;  // the server, as KeptConnection names it
  bool reused = false;  // sent over a kept connection
  bool keepsConnection = false;  // the server lets the connection carry another request
  platform::OwnedDescriptor socket;
  std::unique_ptr<cTlsStream> tls;  // https: over `socket`, freed before it closes
  std::string head;      // the response head, without the blank line
  std::string buffered;  // body bytes that arrived with the head
  size_t bufferedAt = 0;
  bool lengthKnown = false;
  int64_t remaining = 0;  // body bytes still to come when the length is known
  bool ended = false;     // the body has ended, early or not
  bool failed = false;    // the connection failed: every later call fails
};

std::atomic<uint32_t> maxConnsPerServer{2};
std::atomic<uint32_t> maxConnsPer10Server{4};

// Waits in slices until `socket` is ready for `events` (POLLIN, POLLOUT):
// false once the slices add up to the timeout, once the running flag reads 0,
// or when the session is closed.
bool WaitFor(const Session& session, int socket, short events) {
  pollfd waiting{socket, events, 0};
  for (uint32_t waited = 0; waited < session.timeoutMs; waited += kWaitSliceMs) {
    const int ready = poll(&waiting, 1, static_cast<int>(std::min(kWaitSliceMs, session.timeoutMs - waited)));
    if (ready < 0 && errno != EINTR) return false;
    if (session.closed || (session.running && session.running->load() == 0)) return false;
    if (ready > 0) return true;
  }
  return false;
}

bool SendAll(const Session& session, int socket, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR) || !WaitFor(session, socket, POLLOUT)) {
      return false;
    }
  }
  return true;
}

// What has arrived on `socket`, at most `size` bytes, waiting for the first
// in slices: > 0 bytes, 0 at the end of the connection, -1 on failure.
ssize_t Receive(const Session& session, int socket, void* buffer, size_t size) {
  for (;;) {
    const ssize_t n = recv(socket, buffer, size, 0);
    if (n >= 0) return n;
    if ((errno != EAGAIN && errno != EINTR) || !WaitFor(session, socket, POLLIN)) return -1;
  }
}

// A connect that does not block, then waits for the answer in slices.
bool ConnectWithin(const Session& session, int socket, const sockaddr* address, socklen_t length) {
  if (connect(socket, address, length) == 0) return true;
  if (errno != EINPROGRESS || !WaitFor(session, socket, POLLOUT)) return false;
  int error = 0;
  socklen_t errorLength = sizeof error;
  return getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &errorLength) == 0 && error == 0;
}

// Takes `socket` off the session's list and closes it. The lock is held.
void CloseListed(Session& session, platform::OwnedDescriptor& socket) {
  session.sockets.erase(std::find(session.sockets.begin(), session.sockets.end(), socket.Get()));
  socket.Reset();
}

// Opens a socket registered with the session (so a close of the session can
// shut it down) and connects it. Empty on failure.
platform::OwnedDescriptor Connect(Session& session, const ParsedUrl& url) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(url.host.c_str(), url.port.c_str(), &hints, &found) != 0) return {};
  const platform::OwnedAddressList addresses(found);
  for (addrinfo* address = addresses.get(); address; address = address->ai_next) {
    platform::OwnedDescriptor s(
        socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address->ai_protocol));
    if (!s) continue;
    {
      std::lock_guard<std::mutex> guard(session.lock);
      if (session.closed) break;
      session.sockets.push_back(s.Get());
    }
    if (ConnectWithin(session, s.Get(), address->ai_addr, address->ai_addrlen)) {
      const int one = 1;
      setsockopt(s.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      return s;
    }
    std::lock_guard<std::mutex> guard(session.lock);
    CloseListed(session, s);
  }
  return {};
}

void ReleaseSocket(Request& request) {
  if (!request.socket) return;
  std::lock_guard<std::mutex> guard(request.session->lock);
  CloseListed(*request.session, request.socket);
}

Request::~Request() {
  tls.reset();
  ReleaseSocket(*this);
}

std::string OriginOf(const ParsedUrl& url) {
  return std::string(url.secure ? "https://" : "http://") + url.host + ":" + url.port;
}

// A request's connection after its response was read to its end: kept for
// the session's next request to that server, in place of any kept before,
// when the server allows it.
void KeepConnection(Request& request) {
  Session& session = *request.session;
  if (!request.socket || request.failed || !request.keepsConnection || !request.lengthKnown ||
      request.remaining != 0 || request.bufferedAt < request.buffered.size()) {
    return;
  }
  std::lock_guard<std::mutex> guard(session.lock);
  if (session.closed) return;
  if (session.kept) {
    session.kept->tls.reset();
    CloseListed(session, session.kept->socket);
  }
  session.kept.reset(new KeptConnection{request.origin, std::move(request.socket), std::move(request.tls)});
}

// The session's kept connection to `origin`, moved into `request`; false
// when there is none.
bool TakeKeptConnection(Session& session, Request& request) {
  std::lock_guard<std::mutex> guard(session.lock);
  if (!session.kept || session.kept->origin != request.origin) return false;
  request.socket = std::move(session.kept->socket);
  request.tls = std::move(session.kept->tls);
  session.kept.reset();
  return true;
}

detail::SocketWait WaitOn(const Request& request) {
  return [&request](short events) { return WaitFor(*request.session, request.socket.Get(), events); };
}

// What has arrived on the request's connection, plain or through TLS: > 0
// bytes, 0 at its end, -1 on failure.
ssize_t ReceiveOn(Request& request, void* buffer, size_t size) {
  if (request.tls) return request.tls->Receive(buffer, size, WaitOn(request));
  return Receive(*request.session, request.socket.Get(), buffer, size);
}

bool SendOn(Request& request, const std::string& data) {
  if (request.tls) return request.tls->SendAll(data, WaitOn(request));
  return SendAll(*request.session, request.socket.Get(), data);
}

bool CopyOut(const std::string& value, char* buffer, uint32_t capacity) {
  if (capacity == 0 || value.size() >= capacity) return false;
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return true;
}

// Reads the response head; the body bytes that came with it stay buffered.
bool ReadHead(Request& request) {
  std::string data;
  char chunk[16 * 1024];
  for (;;) {
    const size_t end = data.find("\r\n\r\n");
    if (end != std::string::npos) {
      request.head = data.substr(0, end);
      request.buffered = data.substr(end + 4);
      return true;
    }
    if (data.size() > kMaxHeadSize) return false;
    const ssize_t n = ReceiveOn(request, chunk, sizeof chunk);
    if (n <= 0) return false;
    data.append(chunk, static_cast<size_t>(n));
  }
}

// Status line and body framing of the head just read.
bool ParseHead(Request& request) {
  ResponseHead parsed;
  if (!ParseResponseHead(request.head, &parsed)) return false;
  request.status = parsed.status;
  request.statusKnown = true;
  if (parsed.encodedTransfer) {
    request.failed = true;  // a body we do not decode; reads fail
    return true;
  }
  request.lengthKnown = parsed.lengthKnown;
  request.remaining = parsed.length;
  request.keepsConnection = parsed.keepsConnection;
  if (request.lengthKnown) {
    if (static_cast<int64_t>(request.buffered.size()) > request.remaining) request.buffered.resize(request.remaining);
    request.remaining -= static_cast<int64_t>(request.buffered.size());
  }
  request.ended = request.buffered.empty() && request.lengthKnown && request.remaining == 0;
  return true;
}

// The request as WinINet writes it: "Accept: */*", the caller's headers, then
// Host and User-Agent. INTERNET_FLAG_RELOAD only bypasses WinINet's own cache
// and adds no header; there is no cache here, so neither flag changes the
// request.
std::string RequestHead(const ParsedUrl& url, const std::string& agent, const char* headers, uint32_t headersLength) {
  std::string head = "GET " + url.target + " HTTP/1.1\r\nAccept: */*\r\n";
  if (headers && headersLength) {
    head.append(headers, headersLength);
    if (head.compare(head.size() - 2, 2, "\r\n") != 0) head += "\r\n";
  }
  head += "Host: " + url.hostHeader + "\r\n";
  head += "User-Agent: " + agent + "\r\n\r\n";
  return head;
}

// A request is usable while its connection is sound and its session open.
bool Usable(const Request& request) { return !request.failed && !request.session->closed; }

// The connection failed, or the session was closed under it.
bool Fail(Request& request) {
  request.failed = true;
  return false;
}

// After a zero-byte or failed receive: the end of the body, or a failure.
// The end of the connection ends a body of unknown length, and ends a body of
// known length early: both read as the end, like WinINet.
bool Ended(Request& request, ssize_t received) {
  if (received < 0 || request.session->closed) return Fail(request);
  request.ended = true;
  return true;
}

// QueryDataAvailable over TLS: what the socket holds is ciphertext, so the
// plain bytes that have arrived are taken into the buffer and counted.
bool TakeArrived(Request& request, uint32_t* bytes) {
  size_t want = kAvailableLimit;
  if (request.lengthKnown) want = static_cast<size_t>(std::min<int64_t>(want, request.remaining));
  if (want == 0) {
    request.ended = true;
    return true;
  }
  request.buffered.resize(want);
  request.bufferedAt = 0;
  const ssize_t n = ReceiveOn(request, &request.buffered[0], want);
  request.buffered.resize(n > 0 ? static_cast<size_t>(n) : 0);
  if (n <= 0) return Ended(request, n);
  if (request.lengthKnown) request.remaining -= n;
  *bytes = static_cast<uint32_t>(n);
  return true;
}

// An https request answered with a redirect to http: refused, whether or not
// anything would follow it.
bool RedirectsToHttp(const ParsedUrl& url, const Request& request) {
  std::string location;
  return url.secure && request.status >= 300 && request.status < 400 &&
         FindHeader(request.head, "Location", &location) && strncasecmp(location.c_str(), "http:", 5) == 0;
}

// One request and its response head, over the session's kept connection to
// the server when `reuse` and there is one, else over a new connection. Null
// on failure; `*retry` says whether the failure was a kept connection the
// server had closed, worth one more try over a new one.
std::shared_ptr<Request> Exchange(const std::shared_ptr<Session>& session, const ParsedUrl& url,
                                  const std::string& head, bool reuse, bool* retry) {
  *retry = false;
  auto request = std::make_shared<Request>();
  request->session = session;
  request->origin = OriginOf(url);
  request->reused = reuse && TakeKeptConnection(*session, *request);
  if (!request->reused) {
    request->socket = Connect(*session, url);
    if (!request->socket) return nullptr;
    if (url.secure) {
      Refusal refusal;
      request->tls = cTlsStream::Open(request->socket.Get(), url.host, WaitOn(*request), &refusal);
      if (!request->tls) {
        if (!session->closed) session->refusal = refusal;
        return nullptr;
      }
    }
  }
  if (!SendOn(*request, head) || !ReadHead(*request) || !ParseHead(*request) || session->closed) {
    *retry = request->reused && !session->closed && !(session->running && session->running->load() == 0);
    return nullptr;  // the record's end closes its socket
  }
  return request;
}

}  // namespace

Handle OpenSession(const char* agent, const std::atomic<int>* running) {
  auto session = std::make_shared<Session>();
  session->agent = agent ? agent : "";
  session->timeoutMs = Timeout();
  session->running = running;
  return Handles().Add(std::move(session));
}

Handle OpenUrl(Handle sessionHandle, const char* url, const char* headers, uint32_t headersLength, uint32_t) {
  const std::shared_ptr<Session> session = Handles().Find<Session>(sessionHandle);
  ParsedUrl parsed;
  if (!session) return nullptr;
  session->refusal = Refusal::kNone;
  if (!url || !ParseUrl(url, &parsed)) return nullptr;
  const std::string head = RequestHead(parsed, session->agent, headers, headersLength);
  bool retry = false;
  std::shared_ptr<Request> request = Exchange(session, parsed, head, true, &retry);
  if (!request && retry) request = Exchange(session, parsed, head, false, &retry);
  if (!request) return nullptr;
  if (RedirectsToHttp(parsed, *request)) {
    session->refusal = Refusal::kRedirectToHttp;
    return nullptr;
  }
  return Handles().Add(std::move(request));
}

bool QueryContentLength(Handle handle, char* buffer, uint32_t capacity) {
  return QueryHeader(handle, "Content-Length", buffer, capacity);
}

bool QueryHeader(Handle handle, const char* name, char* buffer, uint32_t capacity) {
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  std::string value;
  return request && FindHeader(request->head, name, &value) && CopyOut(value, buffer, capacity);
}

bool QueryDataAvailable(Handle handle, uint32_t* bytes) {
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request) return false;
  if (!Usable(*request)) return Fail(*request);
  *bytes = 0;
  if (request->bufferedAt < request->buffered.size()) {
    *bytes = static_cast<uint32_t>(std::min<size_t>(request->buffered.size() - request->bufferedAt, kAvailableLimit));
    return true;
  }
  if (request->ended) return true;
  if (request->tls) return TakeArrived(*request, bytes);
  if (!WaitFor(*request->session, request->socket.Get(), POLLIN)) return Fail(*request);
  int pending = 0;
  if (ioctl(request->socket.Get(), FIONREAD, &pending) != 0) return Fail(*request);
  if (pending == 0) {
    // Readable with nothing to read: the connection has ended or failed,
    // unless data arrived just now.
    char probe;
    const ssize_t n = ReceiveOn(*request, &probe, 1);
    if (n <= 0) return Ended(*request, n);
    request->buffered.assign(1, probe);
    request->bufferedAt = 0;
    if (request->lengthKnown) --request->remaining;
    *bytes = 1;
    return true;
  }
  int64_t available = pending;
  if (request->lengthKnown) available = std::min<int64_t>(available, request->remaining);
  *bytes = static_cast<uint32_t>(std::min<int64_t>(available, kAvailableLimit));
  if (*bytes == 0) request->ended = true;
  return true;
}

bool Read(Handle handle, void* buffer, uint32_t size, uint32_t* bytesRead) {
  *bytesRead = 0;
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request) return false;
  if (!Usable(*request)) return Fail(*request);
  // Bytes that came with the head are what has arrived: no wait for more.
  if (request->bufferedAt < request->buffered.size()) {
    const size_t take = std::min<size_t>(request->buffered.size() - request->bufferedAt, size);
    std::memcpy(buffer, request->buffered.data() + request->bufferedAt, take);
    request->bufferedAt += take;
    *bytesRead = static_cast<uint32_t>(take);
    return true;
  }
  if (request->lengthKnown && request->remaining == 0) request->ended = true;
  if (request->ended || size == 0) return true;
  size_t want = size;
  if (request->lengthKnown) want = static_cast<size_t>(std::min<int64_t>(size, request->remaining));
  const ssize_t n = ReceiveOn(*request, buffer, want);
  if (n <= 0) return Ended(*request, n);
  if (request->lengthKnown) request->remaining -= n;
  *bytesRead = static_cast<uint32_t>(n);
  return true;
}

bool Close(Handle handle) {
  const std::shared_ptr<Record> record = Handles().Remove(handle);
  if (!record) return false;
  if (record->kind == Record::Kind::kSession) {
    // Its requests keep the record; their blocked calls wake up and fail.
    auto& session = static_cast<Session&>(*record);
    std::lock_guard<std::mutex> guard(session.lock);
    session.closed = true;
    for (int s : session.sockets) shutdown(s, SHUT_RDWR);
  } else {
    KeepConnection(static_cast<Request&>(*record));
  }
  // A request's socket is closed when its record goes, normally right here;
  // a call still running on it keeps it until that call returns.
  return true;
}

bool SetOption(Option option, uint32_t value) {
  switch (option) {
    case kMaxConnsPerServer: maxConnsPerServer = value; return true;
    case kMaxConnsPer10Server: maxConnsPer10Server = value; return true;
  }
  return false;
}

bool QueryOption(Option option, uint32_t* value) {
  switch (option) {
    case kMaxConnsPerServer: *value = maxConnsPerServer; return true;
    case kMaxConnsPer10Server: *value = maxConnsPer10Server; return true;
  }
  return false;
}

}  // namespace net
