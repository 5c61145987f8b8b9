// The network seam on Windows: WinINet. Each HINTERNET sits in a record of
// ours because WinINet frees a session's requests when the session is
// closed: a request closed afterwards by its owner would close a stale (or
// reused) HINTERNET. Closing a session closes its requests' HINTERNETs itself,
// once, and marks them, so the owner's close then only drops the record.
//
// A request is opened as InternetOpenUrlA opens it (InternetConnectA,
// HttpOpenRequestA with "*/*", the caller's headers added, HttpSendRequestA),
// but by hand, so that the timeouts can be set on the request before it is
// sent: Wine's WinINet gives the requests of InternetOpenUrlA no receive
// timeout whatever the session says, and applies a request's own only when it
// reads the response head (the socket keeps it for the body). A timed-out read
// there fails once and then reads as the end of the body, so a failed request
// is marked and every later call on it fails at once.

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/net.h"
#include "platform/net_handles.h"

namespace net {
namespace {

using detail::Handles;
using detail::Record;

struct Request;

// The lock guards the list and each request's HINTERNET against being
// closed twice.
struct Session : Record {
  static constexpr Kind kKind = Kind::kSession;
  Session() : Record(kKind) {}
  std::mutex lock;
  HINTERNET internet = nullptr;
  DWORD timeoutMs = kDefaultTimeoutMs;
  bool closed = false;
  std::vector<Request*> requests;
};

struct Request : Record {
  static constexpr Kind kKind = Kind::kRequest;
  Request() : Record(kKind) {}
  std::shared_ptr<Session> session;
  HINTERNET connection = nullptr;  // from InternetConnectA; closed with the request
  // Used without the lock by the calls below: WinINet fails a call on a
  // handle that another thread has closed, which is what breaks it off.
  HINTERNET internet = nullptr;
  bool closedBySession = false;
  std::atomic<bool> failed{false};  // a call failed: every later one fails
};

// The three limits WinINet knows, on a session, a connection or a request.
void SetTimeouts(HINTERNET handle, DWORD milliseconds) {
  for (DWORD option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
  }
}

// Closes a request's handles, innermost first; whether the request's own
// closed. The session's lock is held.
bool CloseRequestHandles(Request& request) {
  const bool closed = InternetCloseHandle(request.internet) != FALSE;
  InternetCloseHandle(request.connection);
  return closed;
}

// Takes a request off its session's list and closes its handles, unless the
// session has closed them already.
bool ReleaseRequest(Request& request) {
  std::lock_guard<std::mutex> guard(request.session->lock);
  auto& requests = request.session->requests;
  requests.erase(std::remove(requests.begin(), requests.end(), &request), requests.end());
  return request.closedBySession || CloseRequestHandles(request);
}

// The parts of an http or https URL that a connection and a request take.
struct UrlParts {
  char host[INTERNET_MAX_HOST_NAME_LENGTH];
  INTERNET_PORT port = 0;
  bool secure = false;
  std::string target;  // path and query, without a fragment
};

bool SplitUrl(const char* url, UrlParts* parts) {
  char path[2048];
  char extra[2048];
  URL_COMPONENTSA components{};
  components.dwStructSize = sizeof components;
  components.lpszHostName = parts->host;
  components.dwHostNameLength = sizeof parts->host;
  components.lpszUrlPath = path;
  components.dwUrlPathLength = sizeof path;
  components.lpszExtraInfo = extra;
  components.dwExtraInfoLength = sizeof extra;
  if (!url || !InternetCrackUrlA(url, 0, 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return false;
  parts->port = components.nPort;
  parts->secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  parts->target = std::string(path) + extra;
  parts->target.erase(std::min(parts->target.find('#'), parts->target.size()));
  if (parts->target.empty()) parts->target = "/";
  return true;
}

bool QueryText(Handle handle, DWORD query, const char* name, char* buffer, uint32_t capacity) {
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request || capacity == 0) return false;
  DWORD length = capacity;
  if (name) {
    // HTTP_QUERY_CUSTOM takes the header's name in the buffer.
    const size_t nameLength = std::strlen(name);
    if (nameLength >= capacity) return false;
    std::memcpy(buffer, name, nameLength + 1);
  }
  if (!HttpQueryInfoA(request->internet, query, buffer, &length, nullptr)) return false;
  if (length >= capacity) return false;
  buffer[length] = 0;
  return true;
}

}  // namespace

Handle OpenSession(const char* agent) {
  HINTERNET internet = InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!internet) return nullptr;
  auto session = std::make_shared<Session>();
  session->internet = internet;
  session->timeoutMs = Timeout();
  // Windows hands these down to the session's requests; Wine only the
  // connect timeout (the requests get theirs in OpenUrl).
  SetTimeouts(internet, session->timeoutMs);
  return Handles().Add(std::move(session));
}

Handle OpenUrl(Handle sessionHandle, const char* url, const char* headers, uint32_t headersLength, uint32_t flags) {
  const std::shared_ptr<Session> session = Handles().Find<Session>(sessionHandle);
  UrlParts parts;
  if (!session || !SplitUrl(url, &parts)) return nullptr;
  auto request = std::make_shared<Request>();
  request->session = session;
  {
    // None of these waits for the network. The request is on the session's
    // list before it is sent, so that a close of the session breaks it off.
    std::lock_guard<std::mutex> guard(session->lock);
    if (session->closed) return nullptr;
    request->connection =
        InternetConnectA(session->internet, parts.host, parts.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!request->connection) return nullptr;
    const char* acceptTypes[] = {"*/*", nullptr};
    request->internet = HttpOpenRequestA(request->connection, "GET", parts.target.c_str(), nullptr, nullptr,
                                         acceptTypes, flags | (parts.secure ? INTERNET_FLAG_SECURE : 0), 0);
    if (!request->internet) {
      InternetCloseHandle(request->connection);
      return nullptr;
    }
    SetTimeouts(request->internet, session->timeoutMs);
    if (headers && headersLength &&
        !HttpAddRequestHeadersA(request->internet, headers, headersLength, HTTP_ADDREQ_FLAG_ADD)) {
      CloseRequestHandles(*request);
      return nullptr;
    }
    session->requests.push_back(request.get());
  }
  // Blocks until the response head is in, or the timeout has passed.
  const bool sent = HttpSendRequestA(request->internet, nullptr, 0, nullptr, 0) != FALSE;
  bool closed;
  {
    std::lock_guard<std::mutex> guard(session->lock);
    closed = session->closed;
  }
  if (!sent || closed) {
    ReleaseRequest(*request);
    return nullptr;
  }
  return Handles().Add(std::move(request));
}

bool QueryStatusCode(Handle handle, int* status) {
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request) return false;
  DWORD code = 0;
  DWORD length = sizeof code;
  if (!HttpQueryInfoA(request->internet, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &length, nullptr)) {
    return false;
  }
  *status = static_cast<int>(code);
  return true;
}

bool QueryContentLength(Handle handle, char* buffer, uint32_t capacity) {
  return QueryText(handle, HTTP_QUERY_CONTENT_LENGTH, nullptr, buffer, capacity);
}

bool QueryHeader(Handle handle, const char* name, char* buffer, uint32_t capacity) {
  return QueryText(handle, HTTP_QUERY_CUSTOM, name, buffer, capacity);
}

bool QueryDataAvailable(Handle handle, uint32_t* bytes) {
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request || request->failed) return false;
  DWORD available = 0;
  if (!InternetQueryDataAvailable(request->internet, &available, 0, 0)) {
    request->failed = true;
    return false;
  }
  *bytes = available;
  return true;
}

bool Read(Handle handle, void* buffer, uint32_t size, uint32_t* bytesRead) {
  *bytesRead = 0;
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request || request->failed) return false;
  DWORD read = 0;
  // A failed read may have taken some bytes (Wine's does): they are dropped,
  // and the transfer fetches them again from the bytes on disk.
  if (!InternetReadFile(request->internet, buffer, size, &read)) {
    request->failed = true;
    return false;
  }
  *bytesRead = read;
  return true;
}

bool Close(Handle handle) {
  const std::shared_ptr<Record> record = Handles().Remove(handle);
  if (!record) return false;
  if (record->kind == Record::Kind::kRequest) return ReleaseRequest(static_cast<Request&>(*record));
  auto& session = static_cast<Session&>(*record);
  std::lock_guard<std::mutex> guard(session.lock);
  session.closed = true;
  for (Request* request : session.requests) {
    CloseRequestHandles(*request);
    request->closedBySession = true;
  }
  session.requests.clear();
  return InternetCloseHandle(session.internet) != FALSE;
}

bool SetOption(Option option, uint32_t value) {
  DWORD setting = value;
  return InternetSetOptionA(nullptr, option, &setting, sizeof setting) != FALSE;
}

bool QueryOption(Option option, uint32_t* value) {
  DWORD setting = *value;
  DWORD length = sizeof setting;
  if (!InternetQueryOptionA(nullptr, option, &setting, &length)) return false;
  *value = setting;
  return true;
}

}  // namespace net
