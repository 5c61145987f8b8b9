// The network seam on Windows: WinINet. Each HINTERNET sits in a record of
// ours because WinINet frees a session's requests when the session is
// closed: a request closed afterwards by its owner would close a stale (or
// reused) HINTERNET. Closing a session closes its requests' HINTERNETs itself,
// once, and marks them, so the owner's close then only drops the record.

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
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
  bool closed = false;
  std::vector<Request*> requests;
};

struct Request : Record {
  static constexpr Kind kKind = Kind::kRequest;
  Request() : Record(kKind) {}
  std::shared_ptr<Session> session;
  // Used without the lock by the calls below: WinINet fails a call on a
  // handle that another thread has closed, which is what breaks it off.
  HINTERNET internet = nullptr;
  bool closedBySession = false;
};

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
  return Handles().Add(std::move(session));
}

Handle OpenUrl(Handle sessionHandle, const char* url, const char* headers, uint32_t headersLength, uint32_t flags) {
  const std::shared_ptr<Session> session = Handles().Find<Session>(sessionHandle);
  if (!session) return nullptr;
  HINTERNET internet;
  {
    std::lock_guard<std::mutex> guard(session->lock);
    if (session->closed) return nullptr;
    internet = session->internet;
  }
  // Blocks until the response head is in; a close of the session fails it.
  HINTERNET opened = InternetOpenUrlA(internet, url, headers, headersLength, flags, 0);
  if (!opened) return nullptr;
  auto request = std::make_shared<Request>();
  request->session = session;
  request->internet = opened;
  std::lock_guard<std::mutex> guard(session->lock);
  if (session->closed) {
    InternetCloseHandle(opened);
    return nullptr;
  }
  session->requests.push_back(request.get());
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
  if (!request) return false;
  DWORD available = 0;
  if (!InternetQueryDataAvailable(request->internet, &available, 0, 0)) return false;
  *bytes = available;
  return true;
}

bool Read(Handle handle, void* buffer, uint32_t size, uint32_t* bytesRead) {
  *bytesRead = 0;
  const std::shared_ptr<Request> request = Handles().Find<Request>(handle);
  if (!request) return false;
  DWORD read = 0;
  if (!InternetReadFile(request->internet, buffer, size, &read)) return false;
  *bytesRead = read;
  return true;
}

bool Close(Handle handle) {
  const std::shared_ptr<Record> record = Handles().Remove(handle);
  if (!record) return false;
  if (record->kind == Record::Kind::kRequest) {
    auto& request = static_cast<Request&>(*record);
    std::lock_guard<std::mutex> guard(request.session->lock);
    auto& requests = request.session->requests;
    requests.erase(std::remove(requests.begin(), requests.end(), &request), requests.end());
    return request.closedBySession || InternetCloseHandle(request.internet) != FALSE;
  }
  auto& session = static_cast<Session&>(*record);
  std::lock_guard<std::mutex> guard(session.lock);
  session.closed = true;
  for (Request* request : session.requests) {
    InternetCloseHandle(request->internet);
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
