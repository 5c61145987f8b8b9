// The network seam's contract, the same for WinINet and for our own client:
// what the transfer relies on when it opens, queries, reads and closes.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "platform/net.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

namespace {

constexpr uint32_t kReload = net::kReload | net::kNoCacheWrite;
const char kHeaders[] = "Accept-Encoding:*\r\nAccept-Ranges:bytes\r\nRange:bytes=0-\r\n";

class NetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    session_ = net::OpenSession("cNetTest");
    ASSERT_NE(session_, nullptr);
  }
  void TearDown() override {
    if (session_) net::Close(session_);
    server_.Stop();
  }

  net::Handle Open(const std::string& path, const char* headers = kHeaders) {
    return net::OpenUrl(session_, server_.Url(path).c_str(), headers, static_cast<uint32_t>(std::strlen(headers)),
                        kReload);
  }

  // Reads the whole body in reads of `size`; false when a read failed.
  static bool ReadAll(net::Handle request, std::string* body, uint32_t size = 1 << 20) {
    std::string buffer(size, '\0');
    for (;;) {
      uint32_t n = 0;
      if (!net::Read(request, &buffer[0], size, &n)) return false;
      if (n == 0) return true;
      body->append(buffer, 0, n);
    }
  }

  cHttpTestServer server_;
  net::Handle session_ = nullptr;
};

TEST_F(NetTest, OpenGivesTheResponseHeadAndReadGivesTheBody) {
  const std::string content = PatternBytes(3 * 1048576 + 17);
  server_.AddFile("/a.bin", content);
  net::Handle request = Open("/a.bin");
  ASSERT_NE(request, nullptr);
  int status = 0;
  ASSERT_TRUE(net::QueryStatusCode(request, &status));
  EXPECT_EQ(status, 206);
  char text[64];
  ASSERT_TRUE(net::QueryContentLength(request, text, sizeof text));
  EXPECT_STREQ(text, std::to_string(content.size()).c_str());
  ASSERT_TRUE(net::QueryHeader(request, "content-range", text, sizeof text)) << "names are case-insensitive";
  EXPECT_EQ(std::string(text), "bytes 0-" + std::to_string(content.size() - 1) + "/" + std::to_string(content.size()));
  EXPECT_FALSE(net::QueryHeader(request, "Content-Encoding", text, sizeof text));
  EXPECT_FALSE(net::QueryHeader(request, "Content-Range", text, 4)) << "a value that does not fit is not cut";

  uint32_t available = 0;
  ASSERT_TRUE(net::QueryDataAvailable(request, &available));
  EXPECT_GT(available, 0u);
  EXPECT_LE(available, 1048576u);
  std::string body;
  EXPECT_TRUE(ReadAll(request, &body));
  EXPECT_EQ(body, content);
  ASSERT_TRUE(net::QueryDataAvailable(request, &available));
  EXPECT_EQ(available, 0u) << "at the end of the body";
  EXPECT_TRUE(net::Close(request));
}

TEST_F(NetTest, ErrorStatusIsReported) {
  net::Handle request = Open("/missing");
  ASSERT_NE(request, nullptr);
  int status = 0;
  ASSERT_TRUE(net::QueryStatusCode(request, &status));
  EXPECT_EQ(status, 404);
  net::Close(request);
}

// Bodies the server ends its own way, one row each: without a length (the
// connection's end is the body's), by an early clean end, and by a reset,
// which fails the read and every later one (Wine's WinINet reads it as the
// end of the body, where Windows fails the read). The reads give the body's
// start either way.
TEST_F(NetTest, TheBodyEndsWhereTheServerEndsIt) {
  cHttpTestServer::Fault noLength, cut, reset;
  noLength.omitContentLength = true;
  cut.endAfter = 30000;
  reset.resetAfter = 1000000;
#ifdef _WIN32
  const bool resetFails = false;
#else
  const bool resetFails = true;
#endif
  const struct {
    const char* path;
    size_t size;
    cHttpTestServer::Fault fault;
    uint32_t readSize;
    bool lengthKnown, readsFail, exact;
    size_t body;  // what the reads give, or at most (not exact)
  } cases[] = {
      {"/no-length", 100000, noLength, 4096, false, false, true, 100000},
      {"/early-end", 100000, cut, 1 << 20, true, false, true, 30000},
      {"/reset", 2000000, reset, 65536, true, resetFails, false, 1000000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string content = PatternBytes(c.size);
    server_.AddFile(c.path, content);
    server_.SetFault(c.path, c.fault);
    net::Handle request = Open(c.path);
    ASSERT_NE(request, nullptr);
    char text[64];
    EXPECT_EQ(net::QueryContentLength(request, text, sizeof text), c.lengthKnown);
    std::string body;
    EXPECT_NE(ReadAll(request, &body, c.readSize), c.readsFail);
    EXPECT_TRUE(c.exact ? body.size() == c.body : body.size() <= c.body) << body.size();
    EXPECT_TRUE(content.compare(0, body.size(), body) == 0) << "not the body's start";
    uint32_t n = 1;
    char byte;
    EXPECT_TRUE(!c.readsFail || !net::Read(request, &byte, 1, &n)) << "a failed connection stays failed";
    net::Close(request);
  }
}

TEST_F(NetTest, ClosingTheSessionBreaksOffABlockedRead) {
  server_.AddFile("/a.bin", PatternBytes(200000));
  cHttpTestServer::Fault stall;
  stall.stallAfter = 1000;
  server_.SetFault("/a.bin", stall);
  net::Handle request = Open("/a.bin");
  ASSERT_NE(request, nullptr);

  std::atomic<int> outcome{-1};
  std::atomic<bool> waiting{false};
  std::thread reader([&] {
    std::string buffer(1 << 20, '\0');
    uint32_t n = 0;
    // The bytes before the stall, then a read that waits on the stall.
    uint32_t before = 0;
    bool read = true;
    while (read && before < 1000 && (read = net::Read(request, &buffer[0], 1000 - before, &n)) && n > 0) before += n;
    if (read && before == 1000) {
      waiting = true;
      read = net::Read(request, &buffer[0], 1 << 20, &n);
    }
    outcome = read ? 1 : 0;
  });
  ASSERT_TRUE(server_.WaitForStalls(1, 30000));
  EXPECT_TRUE(WaitUntil([&] { return waiting.load(); })) << "the reader never came to the stall";
  EXPECT_EQ(outcome, -1);
  net::Close(session_);
  session_ = nullptr;
  reader.join();
  server_.ResetStalls();
  EXPECT_EQ(outcome, 0) << "the blocked read must fail";
  uint32_t n = 0;
  char byte;
  EXPECT_FALSE(net::Read(request, &byte, 1, &n)) << "and so must every later call";
  net::Close(request);  // the owner still releases its request
}

TEST_F(NetTest, UnreachableServerOrBadUrlGivesNoRequest) {
  cHttpTestServer closed;
  ASSERT_TRUE(closed.Start());
  const std::string url = closed.Url("/a.bin");
  closed.Stop();
  EXPECT_EQ(net::OpenUrl(session_, url.c_str(), kHeaders, sizeof kHeaders - 1, kReload), nullptr);
  EXPECT_EQ(net::OpenUrl(session_, "not a url", kHeaders, sizeof kHeaders - 1, kReload), nullptr);
}

TEST_F(NetTest, EachHandleClosesOnce) {
  server_.AddFile("/a.bin", "abc");
  net::Handle request = Open("/a.bin");
  ASSERT_NE(request, nullptr);
  EXPECT_TRUE(net::Close(request));
  EXPECT_FALSE(net::Close(request)) << "a closed handle is gone";
  uint32_t n = 0;
  char byte;
  EXPECT_FALSE(net::Read(request, &byte, 1, &n));
  int status = 0;
  EXPECT_FALSE(net::QueryStatusCode(request, &status));
  EXPECT_TRUE(net::Close(session_));
  EXPECT_FALSE(net::Close(session_));
  session_ = nullptr;
}

TEST(NetOptionTest, ConnectionOptionsAreProcessSettings) {
  uint32_t saved = 0;
  ASSERT_TRUE(net::QueryOption(net::kMaxConnsPerServer, &saved));
  ASSERT_TRUE(net::SetOption(net::kMaxConnsPerServer, 7));
  uint32_t value = 0;
  ASSERT_TRUE(net::QueryOption(net::kMaxConnsPerServer, &value));
  EXPECT_EQ(value, 7u);
  net::SetOption(net::kMaxConnsPerServer, saved);
}

}  // namespace
