// cHttp against our own server: requests, resuming, chunks, stopping, early
// ends and the local file's folders and size.

#include <atomic>
#include <regex>

#include "download/downloaders.h"
#include "platform/files.h"
#include "platform/net.h"
#include "tests/download/http_fixture.h"
#include "tests/support/wait_until.h"

namespace {

constexpr int64_t kMiB = 1048576;
const std::string kFilePath = "/client/data/a.pak";

int CountLines(const std::string& text, const std::string& fragment) {
  int count = 0;
  for (size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) ++count;
  return count;
}

using HttpTransferTest = HttpFixture;

TEST_F(HttpTransferTest, RequestCarriesTheHeadersAndTheAgentVerbatim) {
  server_.AddFile("/Live/fullclient/json/file.json", "{\"TotalCount\":0}");
  cResDownloader fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url("/Live/fullclient/json/file.json").c_str(), "file.json"), 16);

  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target, "/Live/fullclient/json/file.json");
  EXPECT_EQ(request.version, "HTTP/1.1");
  EXPECT_EQ(request.Header("Accept-Encoding"), "*");
  EXPECT_EQ(request.Header("Accept-Ranges"), "bytes");
  EXPECT_EQ(request.Header("Range"), "bytes=0-");
  EXPECT_EQ(request.Header("User-Agent"), "cResDownloader");
  EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(server_.Port()));
#ifndef _WIN32
  // Our own client sends the caller's lines byte for byte (WinINet rewrites
  // them as "Name: value"), in WinINet's order.
  const std::vector<std::string> expected = {
      "Accept: */*",      "Accept-Encoding:*", "Accept-Ranges:bytes", "Range:bytes=0-",
      "Host: 127.0.0.1:" + std::to_string(server_.Port()), "User-Agent: cResDownloader"};
  EXPECT_EQ(request.headerLines, expected);
#endif
}

struct LocalFileCase {
  const char* name;
  int64_t localSize;  // -1: no local file
  size_t requests;
};

class LocalFileTest : public HttpFixture, public ::testing::WithParamInterface<LocalFileCase> {};

// The server's file is 2.5 MiB; the local file holds a prefix of it (or is
// absent). File mode requests the rest and ends with the whole file.
TEST_P(LocalFileTest, FileModeResumesAfterTheLocalBytes) {
  const LocalFileCase& c = GetParam();
  const std::string content = PatternBytes(5 * kMiB / 2);
  const int64_t total = static_cast<int64_t>(content.size());
  server_.AddFile(kFilePath, content);
  if (c.localSize >= 0) {
    ASSERT_TRUE(WriteWholeFile("a.pak", content.substr(0, c.localSize)));
  }

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));

  const int64_t local = std::max<int64_t>(c.localSize, 0);
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
  EXPECT_EQ(transfer.starts, std::vector<int64_t>{local});
  ASSERT_EQ(transfer.finishes.size(), 1u);
  EXPECT_EQ(transfer.finishes[0], std::make_pair(local, total));
  EXPECT_EQ(transfer.received, total - local);
  for (int chunk : transfer.chunks) EXPECT_LE(chunk, kMiB);
  if (local == total) {
    EXPECT_TRUE(transfer.chunks.empty()) << "a complete file is not opened";
  }

  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), c.requests);
  EXPECT_EQ(requests[0].Header("Range"), "bytes=0-");
  if (c.requests == 2) {
    EXPECT_EQ(requests[1].Header("Range"), "bytes=" + std::to_string(local) + "-");
  }
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_EQ(LogText(), "") << "a transfer without early ends logs nothing itself";
}

INSTANTIATE_TEST_SUITE_P(LocalFiles, LocalFileTest,
                         ::testing::Values(LocalFileCase{"Absent", -1, 1}, LocalFileCase{"Empty", 0, 1},
                                           LocalFileCase{"OneByte", 1, 2}, LocalFileCase{"Partial", 1000000, 2},
                                           LocalFileCase{"PartialAtAChunkEdge", kMiB, 2},
                                           LocalFileCase{"AllButOneByte", 5 * kMiB / 2 - 1, 2},
                                           LocalFileCase{"Complete", 5 * kMiB / 2, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpTransferTest, ResourceModeStartsFromByteZeroAndTruncates) {
  const std::string content = PatternBytes(70000);
  server_.AddFile("/file.json", content);
  // An older, longer copy of the same name: it must not survive past the end.
  ASSERT_TRUE(WriteWholeFile("fileT.json", PatternBytes(200000, 7)));
  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url("/file.json").c_str(), "fileT.json"), 70000);
  EXPECT_TRUE(SameBytes(ReadWholeFile("fileT.json"), content));
  EXPECT_EQ(fetch.starts, std::vector<int64_t>{0});
  EXPECT_EQ(fetch.running, 0);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Header("Range"), "bytes=0-");
}

// A server may answer an open range with a part of it ("206", "bytes
// 0-99999/350000", 100000 bytes): the length is the Content-Range's total, and
// the part's end is an early end, resumed like any other. On the first
// request and on a resumed one; a document fetch the same way.
TEST_F(HttpTransferTest, PartialAnswersToARangeAreResumedToTheWholeFile) {
  const std::string content = PatternBytes(350000);
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault part;
  part.rangeLimit = 100000;
  server_.SetFault(kFilePath, part);
  for (const int64_t local : {0, 150000}) {
    ASSERT_TRUE(WriteWholeFile("a.pak", content.substr(0, local)));
    cRecordingHttp transfer(host_);
    transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
    ASSERT_TRUE(WaitUntilEnded(transfer));
    EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content)) << local;
    EXPECT_TRUE(transfer.IsWhole());
    EXPECT_EQ(transfer.starts, std::vector<int64_t>{local});
    EXPECT_EQ(transfer.received, 350000 - local);
  }
  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url(kFilePath).c_str(), "file.json"), 350000);
  EXPECT_TRUE(SameBytes(ReadWholeFile("file.json"), content));
  EXPECT_TRUE(boxes_.Texts().empty());
}

struct ChunkCase {
  const char* name;
  int64_t size;
};

class ChunkTest : public HttpFixture, public ::testing::WithParamInterface<ChunkCase> {};

// The transfer ends when the bytes written reach the length, whether the
// last chunk fills the buffer or not.
TEST_P(ChunkTest, LastChunkEndsTheTransferExactlyAtTheLength) {
  const std::string content = PatternBytes(static_cast<size_t>(GetParam().size));
  server_.AddFile(kFilePath, content);
  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
  EXPECT_EQ(transfer.received, GetParam().size);
  EXPECT_EQ(transfer.finishes, (std::vector<std::pair<int64_t, int64_t>>{{0, GetParam().size}}));
  EXPECT_EQ(server_.Requests().size(), 1u) << "no reconnect";
  EXPECT_EQ(LogText(), "");
  // A read takes what has arrived, never more than the buffer.
  for (int chunk : transfer.chunks) EXPECT_TRUE(chunk > 0 && chunk <= kMiB) << chunk;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ChunkTest,
                         ::testing::Values(ChunkCase{"OneByte", 1}, ChunkCase{"OneChunk", kMiB},
                                           ChunkCase{"TwoChunks", 2 * kMiB}, ChunkCase{"OneChunkAndOne", kMiB + 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpTransferTest, RunningClearedBetweenChunksWritesTheChunkInHandAndFinishes) {
  const std::string content = PatternBytes(3 * kMiB);
  server_.AddFile(kFilePath, content);
  cRecordingHttp transfer(host_);
  transfer.afterChunk = [](cRecordingHttp& self) { self.running = 0; };
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));

  ASSERT_EQ(transfer.chunks.size(), 1u);
  const int64_t first = transfer.chunks[0];
  EXPECT_EQ(transfer.finishes, (std::vector<std::pair<int64_t, int64_t>>{{0, first}}));
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content.substr(0, first))) << "the partial file stays on disk";

  // The next transfer of the same file carries on from there.
  cRecordingHttp next(host_);
  next.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(next));
  EXPECT_EQ(next.starts, std::vector<int64_t>{first});
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
}

// A stop while the transfer waits on a server that sends nothing ends it
// within a second, whatever it waits for, without OnFinish and without a
// box: the bytes that arrived are on disk, and the next transfer completes
// the file. The stop clears the running flag alone (no session is closed).
enum class Wait { kStallMidBody, kStallBeforeHead, kConnect, kHandshake };

struct StopCase {
  const char* name;
  Wait wait;
};

class StopTest : public HttpFixture, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, AStopEndsAWaitWithinASecond) {
  const Wait wait = GetParam().wait;
  constexpr int64_t kBeforeStall = 300007;  // not a multiple of any buffer
  const std::string content = PatternBytes(3 * kMiB);
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault stall;
  stall.stallAfter = wait == Wait::kStallMidBody ? kBeforeStall : -1;
  stall.stallBeforeHead = wait == Wait::kStallBeforeHead;
  stall.times = 1;
  server_.SetFault(kFilePath, stall);
  cSilentPort silent;
  std::string url = server_.Url(kFilePath);
  if (wait == Wait::kConnect) {
    ASSERT_TRUE(silent.Open());
    url = silent.Url(kFilePath);
  }
  // A TLS greeting to our plain server brings no request head: a handshake
  // that is never answered.
  if (wait == Wait::kHandshake) url = "https://127.0.0.1:" + std::to_string(server_.Port()) + "/a.pak";

  cRecordingHttp transfer(host_);
  std::atomic<int64_t> received{0};
  transfer.afterChunk = [&](cRecordingHttp& self) { received = self.received; };
  transfer.DownloadFile(url.c_str(), "a.pak");
  if (wait == Wait::kStallMidBody) {
    ASSERT_TRUE(WaitUntil([&] { return received >= kBeforeStall; }, 30000));
    EXPECT_EQ(received, kBeforeStall) << "the bytes before the stall are reported as they arrive";
  } else if (wait == Wait::kConnect) {
    // A connect nobody answers shows nothing outside to wait for: the stop
    // comes a slice into it.
    platform::SleepMs(net::kWaitSliceMs);
  } else {
    ASSERT_TRUE(WaitUntil([&] { return server_.OpenConnections() > 0 || server_.WaitForStalls(1, 1); }, 30000));
  }
  ASSERT_EQ(transfer.running, 1) << "still waiting";
  const uint32_t stopped = platform::TickCount();
  transfer.Stop();
  EXPECT_LT(platform::TickCount() - stopped, 1000u) << "a stop waits for no server";
  EXPECT_TRUE(transfer.finishes.empty());
  EXPECT_TRUE(boxes_.Texts().empty()) << "a stopped transfer does not report the server unreachable";
  server_.ResetStalls();
  if (wait != Wait::kStallMidBody) {
    EXPECT_TRUE(transfer.starts.empty());
    return;
  }
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content.substr(0, kBeforeStall)));
  cRecordingHttp next(host_);
  next.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(next));
  EXPECT_EQ(next.starts, std::vector<int64_t>{kBeforeStall});
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
}

INSTANTIATE_TEST_SUITE_P(Waits, StopTest,
                         ::testing::Values(StopCase{"StallMidBody", Wait::kStallMidBody},
                                           StopCase{"StallBeforeTheHead", Wait::kStallBeforeHead},
                                           StopCase{"ConnectNeverAnswered", Wait::kConnect},
                                           StopCase{"HandshakeNeverAnswered", Wait::kHandshake}),
                         [](const auto& info) { return std::string(info.param.name); });

// Early ends of the response: each is logged (-92) and resumed from the bytes
// written, as a new request; only those that bring no new byte count towards
// the limit. A document continues after the bytes its fetch has written.
struct EarlyEndCase {
  const char* name;
  size_t size;
  int64_t endAfter;    // the response ends cleanly after this many body bytes
  int64_t resetAfter;  // or with a reset
  int times;           // for this many responses (-1: every one)
  bool document;
  int earlyEnds;       // lines logged
  int64_t cut;         // > 0: the second pass asks the length, the third from here
};

class EarlyEndTest : public HttpFixture, public ::testing::WithParamInterface<EarlyEndCase> {};

TEST_P(EarlyEndTest, EachEarlyEndIsLoggedAndResumed) {
  const EarlyEndCase& c = GetParam();
  const std::string content = PatternBytes(c.size);
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault cut;
  cut.endAfter = c.endAfter;
  cut.resetAfter = c.resetAfter;
  cut.times = c.times;
  server_.SetFault(kFilePath, cut);

  cRecordingHttp transfer(host_);
  if (c.document) {
    EXPECT_EQ(transfer.DownloadResource(server_.Url(kFilePath).c_str(), "a.pak"), static_cast<int64_t>(c.size));
  } else {
    transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
    ASSERT_TRUE(WaitUntilEnded(transfer));
  }
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
  EXPECT_EQ(transfer.starts, std::vector<int64_t>{0}) << "OnStart once per transfer";
  EXPECT_EQ(transfer.received, static_cast<int64_t>(c.size));
  const std::string log = LogText();
  EXPECT_EQ(CountLines(log, "network error (-92)"), c.earlyEnds);
  EXPECT_EQ(CountLines(log, "\n"), c.earlyEnds) << "a transfer logs nothing else";
  EXPECT_TRUE(std::regex_search(
      log, std::regex("^[A-Z][a-z]{2} [ 123][0-9] [0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9] "
                      "cHttp::OnExecute :: network error \\(-92\\)\r?\n")))
      << log;
  if (c.cut > 0) {
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 3u) << "the cut request, then the length and the rest";
    EXPECT_EQ(requests[1].Header("Range"), "bytes=0-");
    EXPECT_EQ(requests[2].Header("Range"), "bytes=" + std::to_string(c.cut) + "-");
  }
  // The failed reads after a reset are retried nine times, then the player
  // is told; WinINet may take the reset for the body's end instead.
  std::vector<std::string> told;
  if (c.resetAfter >= 0) told.push_back("cHttp::OnExecute :: network error (-5)");
#ifdef _WIN32
  if (c.resetAfter >= 0) told = boxes_.Texts();
#endif
  EXPECT_EQ(boxes_.Texts(), told);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, EarlyEndTest,
    ::testing::Values(EarlyEndCase{"OneEarlyEnd", 5 * kMiB / 2, 300000, -1, 1, false, 1, 300000},
                      EarlyEndCase{"EightEmptyInARowAreSurvived", 200000, 0, -1, 8, false, 8, 0},
                      // Bytes each time are progress: no number of them is fatal.
                      EarlyEndCase{"EachBringingBytes", 12 * 10000 + 5, 10000, -1, -1, false, 12, 0},
                      EarlyEndCase{"ResetMidBody", 2 * kMiB, -1, 300000, 1, false, 1, 0},
                      EarlyEndCase{"DocumentContinues", 500000, 100000, -1, 1, true, 1, 100000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpTransferTest, PathsCreateTheirFoldersFirst) {
  server_.AddFile("/f", "data");
  struct Case {
    const char* path;
    std::vector<std::string> folders;
  };
  const Case cases[] = {{"a/b/x.json", {"a", "a/b"}}, {"c\\d\\y.json", {"c", "c/d"}}, {"a/b2/z.json", {"a/b2"}}};
  for (const Case& c : cases) {
    cRecordingHttp fetch(host_);
    EXPECT_EQ(fetch.DownloadResource(server_.Url("/f").c_str(), c.path), 4) << c.path;
    for (const std::string& folder : c.folders) EXPECT_TRUE(FileExists(folder + "/")) << folder;
  }
  EXPECT_TRUE(SameBytes(ReadWholeFile("c/d/y.json"), "data"));
}

TEST_F(HttpTransferTest, CreateSubDirectoriesMakesNothingForABareNameAndKeepsThePath) {
  const char bare[] = "plain.bin";
  cHttp::CreateSubDirectories(bare);
  EXPECT_STREQ(bare, "plain.bin");
  char nested[] = "p/q/r/s.bin";
  cHttp::CreateSubDirectories(nested);
  EXPECT_STREQ(nested, "p/q/r/s.bin");
  EXPECT_TRUE(FileExists("p/q/r/"));
  EXPECT_FALSE(FileExists("p/q/r/s.bin")) << "the last component is the file's, never a folder";
  EXPECT_FALSE(FileExists("plain.bin"));
}

TEST_F(HttpTransferTest, LocalFileSizeIsSixtyFourBits) {
  EXPECT_EQ(cHttp::GetLocalFileSize("missing.bin"), 0);
  ASSERT_TRUE(WriteWholeFile("small.bin", "12345"));
  EXPECT_EQ(cHttp::GetLocalFileSize("small.bin"), 5);
  // A sparse file just past 4 GiB + 1 GiB: any 32-bit truncation shows.
  FILE* file = platform::OpenFile("big.bin", "wb");
  ASSERT_NE(file, nullptr);
  const int64_t last = 5 * 1024 * kMiB;
  ASSERT_TRUE(platform::SeekFile(file, last, SEEK_SET));
  ASSERT_EQ(std::fputc('x', file), 'x');
  std::fclose(file);
  EXPECT_EQ(cHttp::GetLocalFileSize("big.bin"), last + 1);
}

TEST_F(HttpTransferTest, ConnectionLimitIsFour) {
  EXPECT_EQ(cHttp::GetMaxConnections(host_), 4);
  uint32_t perServer = 0, per10Server = 0;
  ASSERT_TRUE(net::QueryOption(net::kMaxConnsPerServer, &perServer));
  ASSERT_TRUE(net::QueryOption(net::kMaxConnsPer10Server, &per10Server));
  EXPECT_EQ(perServer, 4u);
  EXPECT_EQ(per10Server, 4u);
}

}  // namespace
