#include "tests/support/http_test_server.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

#ifdef _WIN32
using Socket = SOCKET;
const Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
void ShutdownSocket(Socket s) { shutdown(s, SD_BOTH); }
void ShutdownSend(Socket s) { shutdown(s, SD_SEND); }
const int kSendFlags = 0;
#else
using Socket = int;
const Socket kNoSocket = -1;
void CloseSocket(Socket s) { close(s); }
void ShutdownSocket(Socket s) { shutdown(s, SHUT_RDWR); }
void ShutdownSend(Socket s) { shutdown(s, SHUT_WR); }
const int kSendFlags = MSG_NOSIGNAL;
#endif

// Connection sockets are non-blocking: every wait is a short select, so a
// client that neither reads nor closes cannot keep Stop() waiting (Wine does
// not wake a blocked send when the socket is shut down).
void MakeNonBlocking(Socket s) {
#ifdef _WIN32
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
#else
  fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK);
#endif
}

bool WouldBlock() {
#ifdef _WIN32
  return WSAGetLastError() == WSAEWOULDBLOCK;
#else
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
#endif
}

// Waits up to `milliseconds` for `s` to become readable (or writable).
bool Ready(Socket s, bool write, int milliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return select(static_cast<int>(s) + 1, write ? nullptr : &set, write ? &set : nullptr, nullptr, &timeout) > 0;
}

bool Readable(Socket s, int milliseconds) { return Ready(s, false, milliseconds); }

bool SendAll(Socket s, const char* data, size_t size, const std::atomic<bool>& stopping) {
  while (size > 0) {
    const int chunk = static_cast<int>(std::min<size_t>(size, 1 << 20));
    const int sent = send(s, data, chunk, kSendFlags);
    if (sent > 0) {
      data += sent;
      size -= static_cast<size_t>(sent);
      continue;
    }
    if (sent < 0 && !WouldBlock()) return false;
    while (!Ready(s, true, 50)) {
      if (stopping) return false;
    }
  }
  return true;
}

// recv that waits; -1 on failure or when the server stops, 0 at the end.
int Receive(Socket s, char* buffer, int size, const std::atomic<bool>& stopping) {
  for (;;) {
    const int n = recv(s, buffer, size, 0);
    if (n >= 0) return n;
    if (!WouldBlock() || stopping) return -1;
    Readable(s, 50);  // a stop of the server is seen within 50 ms
  }
}

// A reset instead of the orderly close: the peer's next receive fails.
void ResetAndClose(Socket s) {
  linger option{1, 0};
  setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option), sizeof option);
  CloseSocket(s);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  const size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// The target's path without its query, %XX decoded: the name of the file.
std::string PathOf(const std::string& target) {
  const std::string path = target.substr(0, target.find('?'));
  std::string decoded;
  for (size_t at = 0; at < path.size(); ++at) {
    unsigned value = 0;
    if (path[at] == '%' && at + 2 < path.size() && std::sscanf(path.c_str() + at + 1, "%2x", &value) == 1) {
      decoded += static_cast<char>(value);
      at += 2;
    } else {
      decoded += path[at];
    }
  }
  return decoded;
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

// A body to send: bytes in memory or a slice of a file.
struct Body {
  std::shared_ptr<const std::string> memory;
  std::string filePath;
  int64_t size = 0;
};

// What the server answers to one request, before any fault cuts it.
struct Answer {
  int status = 200;
  Body body;
  int64_t offset = 0;  // of the part of the body sent
  int64_t length = 0;
  std::string extraHeaders;
};

}  // namespace

std::string cHttpTestServer::Request::Header(const std::string& name) const {
  const std::string wanted = Lower(name) + ":";
  for (const std::string& line : headerLines) {
    if (Lower(line.substr(0, wanted.size())) == wanted) return Trim(line.substr(wanted.size()));
  }
  return "";
}

bool cHttpTestServer::Request::HasHeader(const std::string& name) const {
  const std::string wanted = Lower(name) + ":";
  for (const std::string& line : headerLines) {
    if (Lower(line.substr(0, wanted.size())) == wanted) return true;
  }
  return false;
}

struct cHttpTestServer::Impl {
  Socket listener = kNoSocket;
  int port = 0;
  std::thread acceptThread;
  std::atomic<bool> stopping{false};

  mutable std::mutex lock;
  std::condition_variable changed;
  std::map<std::string, std::shared_ptr<const std::string>> files;
  std::string folder;
  std::map<std::string, std::deque<Fault>> faults;
  std::vector<Request> requests;
  struct Connection {
    Socket socket;
    int number;
    std::thread thread;
  };
  bool keepConnections = true;
  int accepted = 0;
  std::vector<std::unique_ptr<Connection>> connections;
  int open = 0;
  int serving = 0;
  int maxServing = 0;
  int stallsStarted = 0;
  int releaseGeneration = 0;
  int resetGeneration = 0;
#ifdef _WIN32
  bool winsockStarted = false;
#endif

  void AcceptLoop();
  void Serve(Connection* connection);
  // Records the request and takes the next use of its path's fault.
  Fault TakeFault(const Request& request, const std::string& path);
  // The status, the part of the body and the headers for the request.
  Answer AnswerTo(const Request& request, const std::string& path, const Fault& fault);
  // Sends the head and the body as the fault shapes them; `reset` is set
  // when the connection is to end with a reset. True when the response went
  // out whole and the connection may carry the next request.
  bool Send(Socket s, const Answer& answer, const Fault& fault, bool keep, bool* reset);
  // Ends the connection, in order or with a reset.
  void Close(Connection* connection, bool reset);
  bool ReadRequest(Socket s, Request* request);
  // Holds the connection; true when it is to go on, false when it ended.
  bool Stall(Socket s, bool* reset);
  bool LookUp(const std::string& path, Body* body);
  bool SendBody(Socket s, const Body& body, int64_t offset, int64_t length);
};

void cHttpTestServer::Impl::AcceptLoop() {
  for (;;) {
    const Socket accepted = accept(listener, nullptr, nullptr);
    if (accepted == kNoSocket) {
      if (stopping) return;
      continue;
    }
    std::lock_guard<std::mutex> guard(lock);
    if (stopping) {
      CloseSocket(accepted);
      return;
    }
    MakeNonBlocking(accepted);
    ++open;
    auto connection = std::make_unique<Connection>();
    connection->socket = accepted;
    connection->number = ++this->accepted;
    Connection* raw = connection.get();
    connection->thread = std::thread([this, raw] { Serve(raw); });
    connections.push_back(std::move(connection));
  }
}

bool cHttpTestServer::Impl::ReadRequest(Socket s, Request* request) {
  std::string data;
  char chunk[4096];
  size_t end;
  while ((end = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > 64 * 1024) return false;
    const int n = Receive(s, chunk, sizeof chunk, stopping);
    if (n <= 0) return false;
    data.append(chunk, static_cast<size_t>(n));
  }
  data.resize(end + 2);
  size_t lineEnd = data.find("\r\n");
  const std::string requestLine = data.substr(0, lineEnd);
  const size_t firstSpace = requestLine.find(' ');
  const size_t secondSpace = requestLine.find(' ', firstSpace + 1);
  if (firstSpace == std::string::npos || secondSpace == std::string::npos) return false;
  request->method = requestLine.substr(0, firstSpace);
  request->target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
  request->version = requestLine.substr(secondSpace + 1);
  for (size_t start = lineEnd + 2; start < data.size(); start = lineEnd + 2) {
    lineEnd = data.find("\r\n", start);
    request->headerLines.push_back(data.substr(start, lineEnd - start));
  }
  return true;
}

bool cHttpTestServer::Impl::LookUp(const std::string& path, Body* body) {
  {
    std::lock_guard<std::mutex> guard(lock);
    auto found = files.find(path);
    if (found != files.end()) {
      body->memory = found->second;
      body->size = static_cast<int64_t>(found->second->size());
      return true;
    }
    if (folder.empty() || path.find("..") != std::string::npos) return false;
    body->filePath = folder + path;
  }
  std::ifstream file(body->filePath, std::ios::binary | std::ios::ate);
  if (!file) return false;
  body->size = static_cast<int64_t>(file.tellg());
  return body->size >= 0;
}

bool cHttpTestServer::Impl::SendBody(Socket s, const Body& body, int64_t offset, int64_t length) {
  if (length <= 0) return true;
  if (body.memory) return SendAll(s, body.memory->data() + offset, static_cast<size_t>(length), stopping);
  std::ifstream file(body.filePath, std::ios::binary);
  file.seekg(offset);
  std::vector<char> buffer(256 * 1024);
  while (length > 0) {
    const std::streamsize want = static_cast<std::streamsize>(std::min<int64_t>(length, buffer.size()));
    if (!file.read(buffer.data(), want)) return false;
    if (!SendAll(s, buffer.data(), static_cast<size_t>(want), stopping)) return false;
    length -= want;
  }
  return true;
}

bool cHttpTestServer::Impl::Stall(Socket s, bool* reset) {
  int releaseSeen, resetSeen;
  {
    std::lock_guard<std::mutex> guard(lock);
    ++stallsStarted;
    releaseSeen = releaseGeneration;
    resetSeen = resetGeneration;
  }
  changed.notify_all();
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(lock);
      if (stopping || resetGeneration != resetSeen) {
        *reset = true;
        return false;
      }
      if (releaseGeneration != releaseSeen) return true;
    }
    // 10 ms: a release, a reset or the client's close ends the stall at
    // once against the transfer's own 250 ms slices.
    if (Readable(s, 10)) {
      // The client has closed (or sent something it should not have).
      char probe;
      const int n = recv(s, &probe, 1, 0);
      if (n == 0 || (n < 0 && !WouldBlock())) return false;
    }
  }
}

void cHttpTestServer::Impl::Serve(Connection* connection) {
  bool reset = false;
  for (bool going = true; going;) {
    Request request;
    if (!ReadRequest(connection->socket, &request)) break;
    request.connection = connection->number;
    bool keep;
    {
      std::lock_guard<std::mutex> guard(lock);
      keep = keepConnections;
    }
    keep = keep && Lower(request.Header("Connection")) != "close";
    const std::string path = PathOf(request.target);
    const Fault fault = TakeFault(request, path);
    going = Send(connection->socket, AnswerTo(request, path, fault), fault, keep, &reset);
    std::lock_guard<std::mutex> guard(lock);
    --serving;
  }
  Close(connection, reset);
}

cHttpTestServer::Fault cHttpTestServer::Impl::TakeFault(const Request& request, const std::string& path) {
  Fault fault;
  {
    std::lock_guard<std::mutex> guard(lock);
    requests.push_back(request);
    maxServing = std::max(maxServing, ++serving);
    auto found = faults.find(path);
    if (found != faults.end()) {
      std::deque<Fault>& queue = found->second;
      while (!queue.empty() && queue.front().times == 0) queue.pop_front();
      if (!queue.empty()) {
        fault = queue.front();
        if (queue.front().times > 0) --queue.front().times;
      }
    }
  }
  changed.notify_all();
  return fault;
}

Answer cHttpTestServer::Impl::AnswerTo(const Request& request, const std::string& path, const Fault& fault) {
  Answer answer;
  if (fault.status) {
    answer.status = fault.status;
    static const std::string page = "<html><body>error page</body></html>\n";
    answer.body.memory = std::make_shared<const std::string>(page);
    answer.body.size = answer.length = static_cast<int64_t>(page.size());
    return answer;
  }
  if (request.method != "GET") {
    answer.status = 400;
    return answer;
  }
  if (!LookUp(path, &answer.body)) {
    answer.status = 404;
    return answer;
  }
  const Body& body = answer.body;
  answer.length = body.size;
  const std::string range = request.Header("Range");
  long long first = -1, last = -1;
  char dash = 0;
  const bool ranged = !fault.ignoreRange && !range.empty() &&
                      std::sscanf(range.c_str(), "bytes=%lld%c%lld", &first, &dash, &last) >= 2 && dash == '-';
  if (!ranged) return answer;
  first = std::max<long long>(0, first + fault.rangeShift);
  if (last < 0 || last >= body.size) last = body.size - 1;
  if (fault.rangeLimit > 0) last = std::min<long long>(last, first + fault.rangeLimit - 1);
  if (first >= body.size || first > last) {
    answer.status = 416;
    answer.length = 0;
    answer.extraHeaders = "Content-Range: bytes */" + std::to_string(body.size) + "\r\n";
  } else {
    answer.status = 206;
    answer.offset = first;
    answer.length = last - first + 1;
    answer.extraHeaders = "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                          std::to_string(body.size) + "\r\n";
  }
  return answer;
}

bool cHttpTestServer::Impl::Send(Socket s, const Answer& answer, const Fault& fault, bool keep, bool* reset) {
  // A body without a length, or one a fault cuts or slows, ends with its
  // connection.
  keep = keep && !fault.omitContentLength && fault.endAfter < 0 && fault.resetAfter < 0 && fault.stallAfter < 0 &&
         !fault.stallBeforeHead && fault.trickleAfter < 0;
  std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + Reason(answer.status) + "\r\n";
  head += "Server: cHttpTestServer\r\nContent-Type: application/octet-stream\r\n";
  if (!fault.omitContentLength) head += "Content-Length: " + std::to_string(answer.length) + "\r\n";
  head += answer.extraHeaders;
  if (!fault.contentEncoding.empty()) head += "Content-Encoding: " + fault.contentEncoding + "\r\n";
  head += keep ? "Accept-Ranges: bytes\r\nConnection: keep-alive\r\n\r\n" : "Accept-Ranges: bytes\r\nConnection: close\r\n\r\n";

  bool going = true;
  if (fault.stallBeforeHead) going = Stall(s, reset);
  if (going) going = SendAll(s, head.data(), head.size(), stopping);
  // The body goes in up to two pieces: before and after the fault's cut.
  enum class Cut { kNone, kEnd, kReset, kStall, kTrickle } action = Cut::kNone;
  int64_t cut = answer.length;
  if (fault.endAfter >= 0 && fault.endAfter < cut) cut = fault.endAfter, action = Cut::kEnd;
  if (fault.resetAfter >= 0 && fault.resetAfter < cut) cut = fault.resetAfter, action = Cut::kReset;
  if (fault.stallAfter >= 0 && fault.stallAfter <= cut) cut = fault.stallAfter, action = Cut::kStall;
  if (fault.trickleAfter >= 0 && fault.trickleAfter < cut) cut = fault.trickleAfter, action = Cut::kTrickle;
  if (going) going = SendBody(s, answer.body, answer.offset, cut);
  if (going && action == Cut::kReset) *reset = true;
  // The rest a byte at a time, until the client lets go or the server stops.
  for (int64_t at = cut; going && action == Cut::kTrickle && at < answer.length && !stopping; ++at) {
    std::this_thread::sleep_for(std::chrono::milliseconds(fault.trickleMs));
    going = SendBody(s, answer.body, answer.offset + at, 1);
  }
  if (going && action == Cut::kStall && Stall(s, reset)) {
    SendBody(s, answer.body, answer.offset + cut, answer.length - cut);
  }
  return going && keep;
}

void cHttpTestServer::Impl::Close(Connection* connection, bool reset) {
  const Socket s = connection->socket;
  if (!reset) {
    // An orderly end: the client sees the end of the data, then we wait
    // (a second at most between its bytes) for it to close its side. A
    // server that stops does not wait for clients that keep their
    // connections (WinINet keeps them for the whole process).
    ShutdownSend(s);
    char drain[1024];
    while (!stopping && Readable(s, 1000) && recv(s, drain, sizeof drain, 0) > 0) {
    }
  }
  {
    std::lock_guard<std::mutex> guard(lock);
    if (reset) {
      ResetAndClose(s);
    } else {
      CloseSocket(s);
    }
    connection->socket = kNoSocket;
    --open;
  }
  changed.notify_all();
}

cHttpTestServer::cHttpTestServer() : impl_(std::make_unique<Impl>()) {}

cHttpTestServer::~cHttpTestServer() { Stop(); }

bool cHttpTestServer::Start(int port) {
#ifdef _WIN32
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  impl_->winsockStarted = true;
#endif
  impl_->listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (impl_->listener == kNoSocket) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (port != 0) {
    // A fixed port is taken again at once after the previous server's
    // connections, still in TIME_WAIT; a port another server listens on
    // stays refused.
    const int on = 1;
    setsockopt(impl_->listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
  }
  socklen_t size = sizeof address;
  if (bind(impl_->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(impl_->listener, 64) != 0 ||
      getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    CloseSocket(impl_->listener);
    impl_->listener = kNoSocket;
    return false;
  }
  impl_->port = ntohs(address.sin_port);
  impl_->acceptThread = std::thread([this] { impl_->AcceptLoop(); });
  return true;
}

void cHttpTestServer::Stop() {
  if (impl_->listener == kNoSocket) return;
  {
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->stopping = true;
    for (auto& connection : impl_->connections) {
      if (connection->socket != kNoSocket) ShutdownSocket(connection->socket);
    }
  }
  impl_->changed.notify_all();
  // Closing a listening socket does not wake accept() everywhere; shutting it
  // down does on Linux, and closing it does with Winsock.
  ShutdownSocket(impl_->listener);
  CloseSocket(impl_->listener);
  impl_->acceptThread.join();
  impl_->listener = kNoSocket;
  for (auto& connection : impl_->connections) connection->thread.join();
  impl_->connections.clear();
#ifdef _WIN32
  if (impl_->winsockStarted) WSACleanup();
  impl_->winsockStarted = false;
#endif
}

int cHttpTestServer::Port() const { return impl_->port; }

std::string cHttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + path;
}

void cHttpTestServer::AddFile(const std::string& path, std::string content) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->files[path] = std::make_shared<const std::string>(std::move(content));
}

void cHttpTestServer::KeepConnections(bool keep) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->keepConnections = keep;
}

void cHttpTestServer::ServeFolder(const std::string& folder) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->folder = folder;
}

void cHttpTestServer::SetFault(const std::string& path, const Fault& fault) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->faults[path] = {fault};
}

void cHttpTestServer::AddFault(const std::string& path, const Fault& fault) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->faults[path].push_back(fault);
}

void cHttpTestServer::ClearFaults() {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->faults.clear();
}

bool cHttpTestServer::WaitForStalls(int count, int timeoutMs) {
  std::unique_lock<std::mutex> guard(impl_->lock);
  return impl_->changed.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                 [&] { return impl_->stallsStarted >= count; });
}

void cHttpTestServer::ReleaseStalls() {
  std::lock_guard<std::mutex> guard(impl_->lock);
  ++impl_->releaseGeneration;
}

void cHttpTestServer::ResetStalls() {
  std::lock_guard<std::mutex> guard(impl_->lock);
  ++impl_->resetGeneration;
}

std::vector<cHttpTestServer::Request> cHttpTestServer::Requests() const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  return impl_->requests;
}

std::vector<cHttpTestServer::Request> cHttpTestServer::RequestsFor(const std::string& path) const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  std::vector<Request> matching;
  for (const Request& request : impl_->requests) {
    if (PathOf(request.target) == path) matching.push_back(request);
  }
  return matching;
}

int cHttpTestServer::OpenConnections() const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  return impl_->open;
}

int cHttpTestServer::MaxRequestsAtOnce() const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  return impl_->maxServing;
}

struct cSilentPort::Impl {
  Socket listener = kNoSocket;
  std::vector<Socket> fillers;
  int port = 0;
  bool winsockStarted = false;

  // A connect from here, and whether it completes within `ms`.
  bool ConnectCompletes(int ms) {
    const Socket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == kNoSocket) return true;
    MakeNonBlocking(s);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    timeval limit{0, ms * 1000};
    const bool completed = select(static_cast<int>(s) + 1, nullptr, &writable, nullptr, &limit) > 0;
    fillers.push_back(s);  // kept open: it holds its place in the queue
    return completed;
  }
};

cSilentPort::cSilentPort() : impl_(std::make_unique<Impl>()) {}

cSilentPort::~cSilentPort() {
  for (Socket s : impl_->fillers) CloseSocket(s);
  if (impl_->listener != kNoSocket) CloseSocket(impl_->listener);
#ifdef _WIN32
  if (impl_->winsockStarted) WSACleanup();
#endif
}

bool cSilentPort::Open() {
#ifdef _WIN32
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  impl_->winsockStarted = true;
#endif
  impl_->listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (impl_->listener == kNoSocket) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(impl_->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(impl_->listener, 0) != 0 ||
      getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return false;
  }
  impl_->port = ntohs(address.sin_port);
  // Connects of our own fill the queue until one is left unanswered.
  for (int tries = 0; tries < 32; ++tries) {
    if (!impl_->ConnectCompletes(200)) return true;
  }
  return false;
}

std::string cSilentPort::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + path;
}
