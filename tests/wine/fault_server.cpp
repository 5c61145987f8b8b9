// fault-server: our fault-injecting HTTP server as a program of its own, for
// the tests that drive downloader.exe from outside. It listens on a fixed
// loopback port (the program's built-in server host) and serves a folder.
//
//   fault-server PORT FOLDER REQUEST-LOG
//
// Commands, one per line on standard input, each acknowledged on standard
// output with "ok" and the command once it is in force:
//   fault PATH key=value...   queues a fault for PATH behind those set there
//                             (keys: status, endAfter, resetAfter, stallAfter,
//                             times)
//   clear                     no more faults: every path behaves; held
//                             responses are reset
//   quit                      (or the end of the input) stops the server
// Every request is appended to REQUEST-LOG as "TARGET range=RANGE" within
// about 50 ms of its arrival. Exit code 0, or 1 when the port cannot be had.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/http_test_server.h"

namespace {

bool ParseFault(std::istringstream& words, cHttpTestServer::Fault* fault) {
  std::string setting;
  while (words >> setting) {
    const size_t equals = setting.find('=');
    if (equals == std::string::npos) return false;
    const std::string key = setting.substr(0, equals);
    const long long value = std::atoll(setting.c_str() + equals + 1);
    if (key == "status") {
      fault->status = static_cast<int>(value);
    } else if (key == "endAfter") {
      fault->endAfter = value;
    } else if (key == "resetAfter") {
      fault->resetAfter = value;
    } else if (key == "stallAfter") {
      fault->stallAfter = value;
    } else if (key == "times") {
      fault->times = static_cast<int>(value);
    } else {
      return false;
    }
  }
  return true;
}

// Appends the requests that arrived since the last call.
void LogNewRequests(const cHttpTestServer& server, FILE* log, size_t* logged) {
  const std::vector<cHttpTestServer::Request> requests = server.Requests();
  for (; *logged < requests.size(); ++*logged) {
    const cHttpTestServer::Request& request = requests[*logged];
    std::fprintf(log, "%s range=%s\n", request.target.c_str(), request.Header("Range").c_str());
  }
  std::fflush(log);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fault-server PORT FOLDER REQUEST-LOG\n");
    return 2;
  }
  FILE* log = std::fopen(argv[3], "wb");  // lines end in LF, for the scripts
  if (!log) {
    std::fprintf(stderr, "fault-server: cannot write %s\n", argv[3]);
    return 2;
  }
  cHttpTestServer server;
  if (!server.Start(std::atoi(argv[1]))) {
    std::fprintf(stderr, "fault-server: cannot listen on port %s\n", argv[1]);
    return 1;
  }
  server.ServeFolder(argv[2]);

  std::atomic<bool> serving{true};
  std::thread logger([&] {
    size_t logged = 0;
    while (serving) {
      LogNewRequests(server, log, &logged);
      // The scripts poll the log every 100 ms or more.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    LogNewRequests(server, log, &logged);
  });

  std::printf("ready\n");
  std::fflush(stdout);
  char line[2048];
  while (std::fgets(line, sizeof line, stdin)) {
    line[std::strcspn(line, "\r\n")] = 0;
    std::istringstream words(line);
    std::string command, path;
    words >> command;
    bool understood = true;
    if (command == "fault" && words >> path) {
      cHttpTestServer::Fault fault;
      understood = ParseFault(words, &fault);
      if (understood) server.AddFault(path, fault);
    } else if (command == "clear") {
      server.ClearFaults();
      server.ResetStalls();
    } else if (command == "quit") {
      break;
    } else {
      understood = false;
    }
    std::printf("%s %s\n", understood ? "ok" : "not understood:", line);
    std::fflush(stdout);
  }

  serving = false;
  logger.join();
  server.Stop();
  std::fclose(log);
  return 0;
}
