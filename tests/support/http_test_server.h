#pragma once
// cHttpTestServer: a small HTTP/1.1 server for tests that can be told to
// misbehave. It runs inside the test process, on threads of its own (one per
// connection), listening on an ephemeral 127.0.0.1 port: POSIX sockets on
// Linux, Winsock on Windows, so under Wine the WinINet client talks to it too.
//
// It serves GET requests for files held in memory (AddFile) or found under a
// folder (ServeFolder), with single byte ranges ("Range: bytes=S-" or
// "bytes=S-E": 206 with Content-Range, 416 when unsatisfiable), and keeps a
// connection for the next request after a response sent whole, as HTTP/1.1
// servers do (unless the client asks "Connection: close", or
// KeepConnections(false) is set). Faults are set per path and can be limited
// to the first N responses; a response a fault cuts ends its connection. It
// records every request (method, target, header lines verbatim and in order,
// the connection it came on), the connections open and the most requests
// answered at once.
//
//   cHttpTestServer server;
//   ASSERT_TRUE(server.Start());
//   server.AddFile("/files/a.bin", bytes);
//   cHttpTestServer::Fault cut;
//   cut.endAfter = 1000;  // the first response ends after 1000 body bytes
//   cut.times = 1;
//   server.SetFault("/files/a.bin", cut);
//   ... fetch server.Url("/files/a.bin") ...
//   EXPECT_EQ(server.RequestsFor("/files/a.bin").size(), 3u);

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class cHttpTestServer {
 public:
  // What to do wrong. Every field left at its default means "behave".
  struct Fault {
    int status = 0;                  // answer with this status (404, 500...) and a short page
    bool omitContentLength = false;  // no Content-Length: the body ends with the connection
    bool ignoreRange = false;        // 200 with the whole body, whatever the Range
    int64_t rangeShift = 0;          // a 206 whose Content-Range starts this far from the asked start
    int64_t rangeLimit = -1;         // a 206 with at most this many bytes of the range asked for (and
                                     // a Content-Range that says so, with the whole length)
    std::string contentEncoding;     // sent as Content-Encoding (the body is not changed)
    int64_t endAfter = -1;           // close cleanly after this many body bytes
    int64_t resetAfter = -1;         // reset the connection after this many body bytes
    int64_t stallAfter = -1;         // hold after this many body bytes (see ReleaseStalls)
    bool stallBeforeHead = false;    // hold before sending anything at all
    int64_t trickleAfter = -1;       // after this many body bytes, one byte every trickleMs
    int trickleMs = 0;
    int times = -1;                  // how many responses get the fault; -1: every one
  };

  struct Request {
    std::string method;
    std::string target;                    // as sent, with any query
    std::string version;                   // "HTTP/1.1"
    std::vector<std::string> headerLines;  // verbatim, without their CR LF
    int connection = 0;                    // the connection it came on: 1 for the first accepted
    // The first value of header `name` (case-insensitive), trimmed; "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
  };

  cHttpTestServer();
  ~cHttpTestServer();  // Stop()
  cHttpTestServer(const cHttpTestServer&) = delete;
  cHttpTestServer& operator=(const cHttpTestServer&) = delete;

  // Listens on 127.0.0.1, on `port` or, by default, on one the system
  // chooses. False on failure (a port in use, for one).
  bool Start(int port = 0);
  // Resets held connections, closes every connection and joins every thread.
  void Stop();

  int Port() const;
  // "http://127.0.0.1:PORT" followed by `path` (which starts with '/').
  std::string Url(const std::string& path) const;

  // Whether a connection carries further requests (the default) or closes
  // after each response ("Connection: close").
  void KeepConnections(bool keep);

  void AddFile(const std::string& path, std::string content);
  // Requests for paths not added are served from files under `folder`.
  void ServeFolder(const std::string& folder);
  // The fault for `path` from now on, replacing any queued there.
  void SetFault(const std::string& path, const Fault& fault);
  // Queues a fault for `path` behind those already set: each response takes
  // the first fault whose `times` are not used up.
  void AddFault(const std::string& path, const Fault& fault);
  void ClearFaults();

  // Waits until at least `count` responses are being held in total since the
  // start; false after `timeoutMs`.
  bool WaitForStalls(int count, int timeoutMs);
  // Held responses go on: the rest of the body is sent.
  void ReleaseStalls();
  // Held connections are reset (TCP RST).
  void ResetStalls();

  std::vector<Request> Requests() const;
  // The requests whose target, without its query and %XX decoded, is `path`.
  std::vector<Request> RequestsFor(const std::string& path) const;
  int OpenConnections() const;
  // The most requests that were being answered at once.
  int MaxRequestsAtOnce() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A loopback port whose connects are never answered: it listens but never
// accepts, and its queue is kept full, so the system drops a client's SYN and
// the client waits as for a host that does not answer.
class cSilentPort {
 public:
  cSilentPort();
  ~cSilentPort();
  cSilentPort(const cSilentPort&) = delete;
  cSilentPort& operator=(const cSilentPort&) = delete;

  // False when the port could not be made silent.
  bool Open();
  // "http://127.0.0.1:PORT" followed by `path`.
  std::string Url(const std::string& path) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
