// The network seam on Windows: WinINet, in asynchronous mode. Each HINTERNET
// sits in a record of ours because WinINet frees a session's requests when
// the session is closed: a request closed afterwards by its owner would close
// a stale (or reused) HINTERNET. Closing a session closes its requests'
// HINTERNETs itself, once, and marks them, so the owner's close then only
// drops the record.
//
// Why asynchronous: under Wine a WinINet call that waits for the server cannot
// be broken off (closing its handle does not end it), and a synchronous read
// waits until its whole buffer is full. In asynchronous mode no call of ours
// blocks inside WinINet: a call that would wait returns ERROR_IO_PENDING,
// WinINet finishes it on a thread of its own and says so through the status
// callback, and we wait for that in slices, looking at the running flag and
// the session between them. A read with IRF_NO_WAIT takes the bytes that have
// arrived, in large non-blocking receives.
//
// A request goes out as InternetOpenUrlA sends it (InternetConnectA,
// HttpOpenRequestA with "*/*", the caller's headers added, HttpSendRequestA),
// by hand so that its timeouts can be set before it is sent: they bound what
// WinINet's own thread still does for a call we gave up on.

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
#include "platform/owned_handle.h"
#include "platform/owned_internet.h"

namespace net {
namespace {

using detail::Handles;
using detail::Record;
using platform::OwnedInternet;

struct Request;

// The event a session's calls are awaited on: one for all its requests, made
// once (under Wine each event made, reset and closed is a call to its server,
// which all threads share: made per request, they were a tenth of a small
// file's calls). Shared, because a completion may outlive the session.
using SharedEvent = std::shared_ptr<platform::OwnedHandle>;

// The end of a request's pending call, as WinINet's thread reports it. It
// lives as long as either side needs it: the request record holds it, and
// WinINet holds it (as the request's context) until it says the handle is
// closing, since a call we gave up on may still end after that. What WinINet
// writes when a call ends (the count of InternetQueryDataAvailable, the
// buffers of InternetReadFileExA) lives here for the same reason. `finished`
// tells this call's end from a late end of an earlier request of the session,
// which signals the same event.
struct Completion {
  explicit Completion(SharedEvent event) : done(std::move(event)) {}
  const SharedEvent done;
  std::atomic<bool> finished{false};
  std::atomic<bool> succeeded{false};
  std::atomic<DWORD> error{0};  // of a call that failed, as WinINet's thread reports it
  // WinINet followed a redirect to an http URL. Under Wine it does so from
  // https too, and even sends the request over the secure connection it
  // has open (as a new URL query still reads https): only its report of the
  // redirect tells.
  std::atomic<bool> redirectedToHttp{false};
  DWORD available = 0;
  INTERNET_BUFFERSA taken{};
};
using CompletionRef = std::shared_ptr<Completion>;

// The lock guards the list and each request's HINTERNET against being
// closed twice.
struct Session : detail::SessionRecord {
  std::mutex lock;
  OwnedInternet internet;
  DWORD timeoutMs = kDefaultTimeoutMs;
  const std::atomic<int>* running = nullptr;
  // Set once by Close: a wait on any of the session's requests ends at once.
  platform::OwnedHandle closedEvent{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  // Signalled by the end of any of its requests' pending calls.
  const SharedEvent callDone = std::make_shared<platform::OwnedHandle>(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  bool closed = false;
  std::vector<Request*> requests;
};

struct Request : detail::RequestRecord {
  std::shared_ptr<Session> session;
  OwnedInternet connection;  // from InternetConnectA; closed with the request, after it
  // Used without the lock by the calls below: WinINet fails a call on a
  // handle that another thread has closed.
  OwnedInternet internet;
  CompletionRef completion;  // made with the session's event
  DWORD_PTR context = 0;  // WinINet's reference to `completion`
  bool closedBySession = false;
  std::atomic<bool> failed{false};  // a call failed: every later one fails
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void* information, DWORD) {
  auto* completion = reinterpret_cast<CompletionRef*>(context);
  if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
    // dwError carries a count, not an error, when dwResult says success.
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(information);
    (*completion)->error = result->dwResult != 0 ? 0 : result->dwError;
    (*completion)->succeeded = result->dwResult != 0;
    (*completion)->finished = true;
    SetEvent((*completion)->done->Get());
  } else if (status == INTERNET_STATUS_REDIRECT) {
    if (information && _strnicmp(static_cast<const char*>(information), "http:", 5) == 0) {
      (*completion)->redirectedToHttp = true;
    }
  } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
    // WinINet's last word on the request: its reference goes with it.
    const std::unique_ptr<CompletionRef> released(completion);
  }
}

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
  const bool closed = request.internet.Close();
  request.connection.Close();
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

bool Fail(Request& request) {
  request.failed = true;
  return false;
}

// Waits for the end of the call on `request` that WinINet has taken over:
// true when it succeeded. False once the slices add up to the timeout, once
// the running flag reads 0, or when the session is closed.
bool AwaitCompletion(Request& request) {
  Session& session = *request.session;
  const Completion& completion = *request.completion;
  const HANDLE events[] = {completion.done->Get(), session.closedEvent.Get()};
  for (DWORD waited = 0; waited < session.timeoutMs;) {
    const DWORD slice = std::min<DWORD>(kWaitSliceMs, session.timeoutMs - waited);
    const DWORD start = GetTickCount();
    const DWORD woke = WaitForMultipleObjects(2, events, FALSE, slice);
    if (completion.finished) return completion.succeeded;
    if (woke != WAIT_OBJECT_0 && woke != WAIT_TIMEOUT) return false;  // the session was closed
    if (session.running && session.running->load() == 0) return false;
    // A late end of an earlier request woke the wait: only the time counts.
    waited += woke == WAIT_TIMEOUT ? slice : std::min<DWORD>(GetTickCount() - start, slice);
  }
  return false;
}

// Makes `call` (a read or a query of the body) until WinINet answers it at
// once: when WinINet takes it over instead, its completion means the bytes
// are there, and the next call takes them. False, with the request failed
// from now on, when the call fails or the wait does.
template <class Call>
bool CallUntilAnswered(Request& request, Call call) {
  for (;;) {
    request.completion->finished = false;
    if (call()) return true;
    if (GetLastError() != ERROR_IO_PENDING || !AwaitCompletion(request)) return Fail(request);
  }
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

// What a failed send's error says about https. Under Wine the request's
// INTERNET_OPTION_SECURITY_FLAGS read 0 after the failure, so the error of
// the failing call is all there is to tell the faults apart.
Refusal RefusalOf(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_INVALID_CA:
    // What WinINet reports when it finds no issuer for the certificate at
    // all (a chain that ends short of any root, not at an untrusted one;
    // measured under Wine, whose own tests say Windows does the same). A
    // revocation check that could not be made reads the same.
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
      return Refusal::kUntrustedIssuer;
    case ERROR_INTERNET_SEC_CERT_CN_INVALID: return Refusal::kWrongName;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID: return Refusal::kExpired;
    case ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR: return Refusal::kRedirectToHttp;
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
    case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
      return Refusal::kBadCertificate;
    default: return Refusal::kNone;
  }
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
  if (!HttpQueryInfoA(request->internet.Get(), query, buffer, &length, nullptr)) return false;
  if (length >= capacity) return false;
  buffer[length] = 0;
  return true;
}

}  // namespace

Handle OpenSession(const char* agent, const std::atomic<int>* running) {
  auto session = std::make_shared<Session>();
  session->internet.Reset(
      InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
  if (!session->internet) return nullptr;
  // Handed down to every request opened on the session. A session refused
  // here is closed with its record.
  if (InternetSetStatusCallbackA(session->internet.Get(), OnStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
    return nullptr;
  }
  session->timeoutMs = Timeout();
  session->running = running;
  return Handles().Add(std::move(session));
}

Handle OpenUrl(Handle sessionHandle, const char* url, const char* headers, uint32_t headersLength, uint32_t flags) {
  const std::shared_ptr<Session> session = Handles().Find<Session>(sessionHandle);
  UrlParts parts;
  if (!session) return nullptr;
  session->refusal = Refusal::kNone;
  if (!SplitUrl(url, &parts)) return nullptr;
  auto request = std::make_shared<Request>();
  request->session = session;
  request->completion = std::make_shared<Completion>(session->callDone);
  {
    // None of these waits for the network. The request is on the session's
    // list before it is sent, so that a close of the session ends it.
    std::lock_guard<std::mutex> guard(session->lock);
    if (session->closed) return nullptr;
    request->connection.Reset(InternetConnectA(session->internet.Get(), parts.host, parts.port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!request->connection) return nullptr;
    // WinINet's reference to the completion, given back when it reports the
    // request's handle closing.
    auto context = std::make_unique<CompletionRef>(request->completion);
    const char* acceptTypes[] = {"*/*", nullptr};
    // https by the URL's scheme, with every check of the certificate in
    // force: no flag that overlooks a fault, none that allows a redirect to
    // http.
    request->internet.Reset(HttpOpenRequestA(request->connection.Get(), "GET", parts.target.c_str(), nullptr,
                                             nullptr, acceptTypes, flags | (parts.secure ? INTERNET_FLAG_SECURE : 0),
                                             reinterpret_cast<DWORD_PTR>(context.get())));
    // Closed here, under the lock: a close of the session would free it.
    if (!request->internet) {
      request->connection.Close();
      return nullptr;
    }
    request->context = reinterpret_cast<DWORD_PTR>(context.release());
    SetTimeouts(request->internet.Get(), session->timeoutMs);
    if (headers && headersLength &&
        !HttpAddRequestHeadersA(request->internet.Get(), headers, headersLength, HTTP_ADDREQ_FLAG_ADD)) {
      CloseRequestHandles(*request);
      return nullptr;
    }
    session->requests.push_back(request.get());
  }
  // Until the response head is in, the timeout has passed or the run stopped.
  request->completion->finished = false;
  request->completion->error = 0;
  request->completion->redirectedToHttp = false;
  bool sent = HttpSendRequestA(request->internet.Get(), nullptr, 0, nullptr, 0) != FALSE;
  DWORD error = sent ? 0 : GetLastError();
  if (!sent && error == ERROR_IO_PENDING) {
    sent = AwaitCompletion(*request);
    error = request->completion->error;
  }
  Refusal refusal = sent ? Refusal::kNone : RefusalOf(error);
  // What answers an https URL by way of http is nobody's word.
  if (sent && parts.secure && request->completion->redirectedToHttp) {
    sent = false;
    refusal = Refusal::kRedirectToHttp;
  }
  bool closed;
  {
    std::lock_guard<std::mutex> guard(session->lock);
    closed = session->closed;
  }
  if (!closed) session->refusal = refusal;
  if (!sent || closed) {
    ReleaseRequest(*request);
    return nullptr;
  }
  DWORD code = 0;
  DWORD length = sizeof code;
  request->statusKnown = HttpQueryInfoA(request->internet.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code,
                                        &length, nullptr) != FALSE;
  request->status = static_cast<int>(code);
  return Handles().Add(std::move(request));
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
  Completion& completion = *request->completion;
  if (!CallUntilAnswered(*request, [&] {
        return InternetQueryDataAvailable(request->internet.Get(), &completion.available, 0, request->context) != FALSE;
      })) {
    return false;
  }
  *bytes = completion.available;
  return true;
}

bool Read(Handle handle, void* buffer, uint32_t size, uint32_t* bytesRead) {
  *bytesRead = 0;
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request || request->failed) return false;
  INTERNET_BUFFERSA& taken = request->completion->taken;
  // With IRF_NO_WAIT a read that finds nothing leaves the buffer alone and
  // goes asynchronous; once WinINet says bytes are there, the next read takes
  // them. A failed read may have taken some bytes (Wine's does): they are
  // dropped, and the transfer fetches them again from the bytes on disk.
  if (!CallUntilAnswered(*request, [&] {
        taken = INTERNET_BUFFERSA{};
        taken.dwStructSize = sizeof taken;
        taken.lpvBuffer = buffer;
        taken.dwBufferLength = size;
        return InternetReadFileExA(request->internet.Get(), &taken, IRF_NO_WAIT, request->context) != FALSE;
      })) {
    return false;
  }
  *bytesRead = taken.dwBufferLength;
  return true;
}

bool Close(Handle handle) {
  const std::shared_ptr<Record> record = Handles().Remove(handle);
  if (!record) return false;
  if (record->kind == Record::Kind::kRequest) return ReleaseRequest(static_cast<Request&>(*record));
  auto& session = static_cast<Session&>(*record);
  std::lock_guard<std::mutex> guard(session.lock);
  session.closed = true;
  SetEvent(session.closedEvent.Get());
  for (Request* request : session.requests) {
    CloseRequestHandles(*request);
    request->closedBySession = true;
  }
  session.requests.clear();
  return session.internet.Close();
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
