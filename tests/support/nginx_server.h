#pragma once
// cNginxServer (Linux only): a real nginx for tests and benchmarks, started as
// a child process on a free 127.0.0.1 port with a generated configuration and
// its own prefix folder (configuration, logs, temporary files), serving one
// folder with nginx's defaults: byte ranges and Content-Length; over https
// when it is given a certificate, where "/to-http/..." redirects to the same
// path over http. One process, no daemon, no workers; Stop() ends it and
// waits for it.

#include <sys/types.h>

#include <string>

class cNginxServer {
 public:
  cNginxServer() = default;
  ~cNginxServer();  // Stop()
  cNginxServer(const cNginxServer&) = delete;
  cNginxServer& operator=(const cNginxServer&) = delete;

  // Serves `root`; keeps its own files under `prefix` (made if missing).
  // False when nginx could not be started (its error log is in `prefix`).
  // With `certificate` and `key` (PEM files) it speaks https only.
  bool Start(const std::string& root, const std::string& prefix, const std::string& certificate = "",
             const std::string& key = "");
  void Stop();

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by `path` (which starts with '/'); over
  // https "https://localhost:PORT", the name its certificates are for.
  std::string Url(const std::string& path) const;

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  bool secure_ = false;
};
