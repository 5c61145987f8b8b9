#include "tests/support/nginx_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

// A port the system has just handed out and taken back. Another process may
// take it before nginx does; Start() then tries again with another.
int FreeLoopbackPort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  close(s);
  return port;
}

bool Accepts(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return connected;
}

bool WriteConfig(const std::string& file, const std::string& root, const std::string& prefix, int port,
                 const std::string& certificate, const std::string& key) {
  std::string tls;
  if (!certificate.empty()) {
    tls = "    ssl_certificate " + certificate + ";\n"
          "    ssl_certificate_key " + key + ";\n"
          "    location /to-http/ { rewrite ^/to-http(/.*)$ http://localhost:" + std::to_string(port) +
          "$1 redirect; }\n";
  }
  std::ofstream config(file, std::ios::trunc);
  config << "daemon off;\n"
            "master_process off;\n"
            "worker_processes 1;\n"
            "pid " << prefix << "/nginx.pid;\n"
            "error_log " << prefix << "/error.log warn;\n"
            "events { worker_connections 256; }\n"
            "http {\n"
            "  access_log off;\n"
            "  default_type application/octet-stream;\n"
            "  sendfile on;\n"
            "  client_body_temp_path " << prefix << "/body;\n"
            "  proxy_temp_path " << prefix << "/proxy;\n"
            "  fastcgi_temp_path " << prefix << "/fastcgi;\n"
            "  uwsgi_temp_path " << prefix << "/uwsgi;\n"
            "  scgi_temp_path " << prefix << "/scgi;\n"
            "  server {\n"
            "    listen 127.0.0.1:" << port << (tls.empty() ? "" : " ssl") << ";\n" << tls <<
            "    root " << root << ";\n"
            "  }\n"
            "}\n";
  return static_cast<bool>(config);
}

}  // namespace

cNginxServer::~cNginxServer() { Stop(); }

bool cNginxServer::Start(const std::string& root, const std::string& prefix, const std::string& certificate,
                         const std::string& key) {
  secure_ = !certificate.empty();
  mkdir(prefix.c_str(), 0755);
  const std::string configFile = prefix + "/nginx.conf";
  const std::string errorLog = prefix + "/error.log";
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int port = FreeLoopbackPort();
    if (port == 0 || !WriteConfig(configFile, root, prefix, port, certificate, key)) return false;
    const char* arguments[] = {"nginx", "-p", prefix.c_str(), "-e", errorLog.c_str(), "-c", configFile.c_str(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "nginx", nullptr, nullptr, const_cast<char**>(arguments), environ) != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      int status;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;  // it gave up, most likely because the port was taken
        break;
      }
      if (Accepts(port)) {
        pid_ = pid;
        port_ = port;
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // nginx starts within a few of these
    }
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  return false;
}

void cNginxServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);  // fast shutdown
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string cNginxServer::Url(const std::string& path) const {
  if (secure_) return "https://localhost:" + std::to_string(port_) + path;
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}
