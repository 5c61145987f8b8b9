#pragma once
// What the transfer tests share: a host whose work folder is the test's own
// temporary folder (also the current directory), boxes that are answered and
// recorded, our fault-injecting server, and a transfer that records its
// hooks.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "download/http.h"
#include "platform/net.h"
#include "platform/system.h"
#include "tests/download/test_host.h"
#include "tests/support/http_test_server.h"
#include "tests/support/message_boxes.h"
#include "tests/support/temp_folder.h"

// A transfer that records what its hooks were told.
class cRecordingHttp : public cHttp {
 public:
  explicit cRecordingHttp(cDownloadHost& host, const char* threadName = "cRecordingHttp")
      : cHttp(threadName), host_(host) {}
  void OnStart(int64_t offset) override { starts.push_back(offset); }
  void OnReceived(int bytes) override {
    chunks.push_back(bytes);
    received += bytes;
    if (afterChunk) afterChunk(*this);
  }
  void OnFinish(int64_t start, int64_t done) override { finishes.emplace_back(start, done); }

  std::vector<int64_t> starts;
  std::vector<int> chunks;
  int64_t received = 0;
  std::vector<std::pair<int64_t, int64_t>> finishes;
  std::function<void(cRecordingHttp&)> afterChunk;  // runs on the transfer's thread

 protected:
  cDownloadHost& Host() override { return host_; }

 private:
  cDownloadHost& host_;
};

// Compares file contents without printing them: sizes and the first
// difference only.
inline ::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << "got " << actual.size() << " bytes, expected " << expected.size()
                                       << ", first difference at byte " << at;
}

// Waits until a started transfer has ended by itself, then joins it.
inline bool WaitUntilEnded(cThread& thread, int timeoutMs = 120000) {
  const uint32_t start = platform::TickCount();
  while (thread.running) {
    if (platform::TickCount() - start > static_cast<uint32_t>(timeoutMs)) return false;
    platform::SleepMs(2);
  }
  thread.Stop();
  return true;
}

// A short network timeout for one test (a stall then costs seconds, not
// half a minute); the default comes back after it.
class cShortNetTimeout {
 public:
  explicit cShortNetTimeout(uint32_t milliseconds) { net::SetTimeout(milliseconds); }
  ~cShortNetTimeout() { net::SetTimeout(0); }
};

// The box of a server that cannot be reached (the program then ends with -11).
constexpr char kUnreachableText[] =
    "Currently you are not able to reach the server.\nPlease check your network and retry again.";

class HttpFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.workFolder = folder_.Path();
    ASSERT_TRUE(server_.Start());
  }
  void TearDown() override { server_.Stop(); }

  std::string LogText() const { return ReadWholeFile(folder_.PathOf("qzloader.log")); }

  cTempFolder folder_;
  cTestHost host_;
  cMessageBoxes boxes_;
  cHttpTestServer server_;
};
