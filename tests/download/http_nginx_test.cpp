// cHttp against a real nginx on loopback: a 200 MiB file fetched whole, and
// fetched in two halves (stopped, then resumed), byte-identical each time.

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/net.h"
#include "tests/download/http_fixture.h"
#include "tests/support/nginx_server.h"

namespace {

constexpr int64_t kMiB = 1048576;
constexpr int64_t kBigSize = 200 * kMiB;

// Writes `size` bytes of pattern, a block at a time.
bool WriteBigFile(const std::string& path, int64_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = true;
  for (int64_t at = 0, block = 0; at < size && written; at += 8 * kMiB, ++block) {
    const std::string bytes = PatternBytes(static_cast<size_t>(std::min<int64_t>(8 * kMiB, size - at)),
                                           static_cast<unsigned>(block + 1));
    written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  return std::fclose(file) == 0 && written;
}

// Compares two files a block at a time; says where they first differ.
::testing::AssertionResult SameFiles(const std::string& actual, const std::string& expected) {
  FILE* a = std::fopen(actual.c_str(), "rb");
  FILE* b = std::fopen(expected.c_str(), "rb");
  if (!a || !b) {
    if (a) std::fclose(a);
    if (b) std::fclose(b);
    return ::testing::AssertionFailure() << "cannot open " << (a ? expected : actual);
  }
  std::vector<char> left(kMiB), right(kMiB);
  int64_t offset = 0;
  for (;;) {
    const size_t l = std::fread(left.data(), 1, left.size(), a);
    const size_t r = std::fread(right.data(), 1, right.size(), b);
    if (l != r || std::memcmp(left.data(), right.data(), l) != 0) {
      std::fclose(a);
      std::fclose(b);
      return ::testing::AssertionFailure() << "files differ in the MiB at byte " << offset;
    }
    if (l == 0) break;
    offset += static_cast<int64_t>(l);
  }
  std::fclose(a);
  std::fclose(b);
  return ::testing::AssertionSuccess();
}

class HttpNginxTest : public HttpFixture {
 protected:
  void SetUp() override {
    HttpFixture::SetUp();
    std::filesystem::create_directory(folder_.PathOf("www"));
    source_ = folder_.PathOf("www/client.bin");
    ASSERT_TRUE(WriteBigFile(source_, kBigSize));
    ASSERT_TRUE(nginx_.Start(folder_.PathOf("www"), folder_.PathOf("nginx"))) << "see the error log in the prefix";
    url_ = nginx_.Url("/client.bin");
  }
  void TearDown() override {
    nginx_.Stop();
    HttpFixture::TearDown();
  }

  cNginxServer nginx_;
  std::string source_;
  std::string url_;
};

TEST_F(HttpNginxTest, WholeFileIsFetchedByteIdentical) {
  cRecordingHttp transfer(host_);
  transfer.DownloadFile(url_.c_str(), "client.bin");
  ASSERT_TRUE(WaitUntilEnded(transfer));
  EXPECT_TRUE(SameFiles("client.bin", source_));
  EXPECT_EQ(transfer.starts, std::vector<int64_t>{0});
  EXPECT_EQ(transfer.finishes, (std::vector<std::pair<int64_t, int64_t>>{{0, kBigSize}}));
  EXPECT_EQ(transfer.received, kBigSize);
  for (int chunk : transfer.chunks) EXPECT_TRUE(chunk > 0 && chunk <= kMiB) << "what arrived, at most the buffer";
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_EQ(LogText(), "");
}

TEST_F(HttpNginxTest, StoppedHalfwayThenResumedIsByteIdentical) {
  cRecordingHttp first(host_);
  first.afterChunk = [](cRecordingHttp& self) {
    if (self.received >= kBigSize / 2) self.running = 0;
  };
  first.DownloadFile(url_.c_str(), "client.bin");
  ASSERT_TRUE(WaitUntilEnded(first));
  const int64_t half = first.received;
  EXPECT_GE(half, kBigSize / 2);
  EXPECT_LT(half, kBigSize);
  EXPECT_EQ(first.finishes, (std::vector<std::pair<int64_t, int64_t>>{{0, half}}));
  EXPECT_EQ(cHttp::GetLocalFileSize("client.bin"), half);

  cRecordingHttp second(host_);
  second.DownloadFile(url_.c_str(), "client.bin");
  ASSERT_TRUE(WaitUntilEnded(second));
  EXPECT_EQ(second.starts, std::vector<int64_t>{half});
  EXPECT_EQ(second.received, kBigSize - half);
  EXPECT_TRUE(SameFiles("client.bin", source_));
  EXPECT_TRUE(boxes_.Texts().empty());
}

// The download manager's way to stop a worker mid-read: clear its flag and
// close its session from another thread. Whatever was written stays usable.
TEST_F(HttpNginxTest, BrokenOffMidReadThenResumedIsByteIdentical) {
  cRecordingHttp first(host_);
  std::atomic<int64_t> seen{0};
  first.afterChunk = [&](cRecordingHttp& self) { seen = self.received; };
  first.DownloadFile(url_.c_str(), "client.bin");
  while (seen < 60 * kMiB && first.running) platform::SleepMs(1);
  first.running = 0;
  if (net::Handle session = first.internetHandle.exchange(nullptr)) net::Close(session);
  first.Stop();
  const int64_t partial = cHttp::GetLocalFileSize("client.bin");
  EXPECT_GE(partial, 60 * kMiB);
  EXPECT_LT(partial, kBigSize);
  EXPECT_EQ(partial, first.received) << "every byte reported is on disk, and no other";

  cRecordingHttp second(host_);
  second.DownloadFile(url_.c_str(), "client.bin");
  ASSERT_TRUE(WaitUntilEnded(second));
  EXPECT_EQ(second.starts, std::vector<int64_t>{partial});
  EXPECT_TRUE(SameFiles("client.bin", source_));
}

}  // namespace
