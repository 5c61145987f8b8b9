// cHttp's failures: the ones that end the program (told to the host),
// the ones that abandon a transfer, and the wrong answers a server can give
// that must never reach the local file.

#ifdef _WIN32
#include <windows.h>
#include <wininet.h>
#endif

#include <atomic>
#include <thread>

#include "download/downloaders.h"
#include "tests/download/http_fixture.h"

namespace {

constexpr int64_t kMiB = 1048576;
const std::string kFilePath = "/client/data/a.pak";

using HttpFailureTest = HttpFixture;

// A loopback port with nothing listening on it.
int ClosedPort() {
  cHttpTestServer probe;
  if (!probe.Start()) return 0;
  const int port = probe.Port();
  probe.Stop();
  return port;
}

// The conditions that end the program: the transfer tells its host, which
// shows the box and ends the program with the code; the transfer itself
// only stops.
struct FatalCase {
  const char* name;
  cHttpTestServer::Fault fault;
  bool closedPort;  // nothing listens where the URL points
  bool document;    // fetched as a document, on the caller's thread
  int exitCode;
  const char* box;
};

cHttpTestServer::Fault Fault(int64_t endAfter, bool ignoreRange, bool omitLength, int64_t stallAfter) {
  cHttpTestServer::Fault fault;
  fault.endAfter = endAfter;
  fault.ignoreRange = ignoreRange;
  fault.omitContentLength = omitLength;
  fault.stallAfter = stallAfter;
  return fault;
}

const FatalCase kFatalCases[] = {
    {"NineEmptyEarlyEndsInARow", Fault(0, false, false, -1), false, false, -9, "cHttp::OnExecute :: network error (-9)"},
    // A server that ignores ranges and cuts every body short sends the same
    // first bytes again and again: that is no progress.
    {"WholeBodiesCutShortAgainAndAgain", Fault(1000, true, false, -1), false, false, -9,
     "cHttp::OnExecute :: network error (-9)"},
    {"NoContentLengthWithTheServerUp", Fault(-1, false, true, -1), false, false, -11, kUnreachableText},
    {"NoContentLengthForADocument", Fault(-1, false, true, -1), false, true, -11, kUnreachableText},
    {"UnreachableServer", Fault(-1, false, false, -1), true, true, -11, kUnreachableText},
    // Every connection kept open and never a body byte: each pass waits out
    // the (short) timeout once, and the ninth such early end ends it, where
    // retries that each waited out the timeout again would take some 100 s.
    {"ServerThatStaysStalled", Fault(-1, false, false, 0), false, false, -9, "cHttp::OnExecute :: network error (-9)"},
};

class FatalEndTest : public HttpFixture, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalEndTest, TheHostIsToldToEndTheProgramAndTheTransferStops) {
  const FatalCase& c = GetParam();
  cShortNetTimeout shortTimeout(1000);
  server_.AddFile(kFilePath, PatternBytes(200000));
  server_.SetFault(kFilePath, c.fault);
  const int port = c.closedPort ? ClosedPort() : server_.Port();
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + kFilePath;
  cRecordingHttp transfer(host_);
  if (c.document) {
    EXPECT_EQ(transfer.DownloadResource(url.c_str(), "file.json"), 0);
  } else {
    transfer.DownloadFile(url.c_str(), "a.pak");
    ASSERT_TRUE(WaitUntilEnded(transfer, 60000)) << "a hang, not an end";
  }
  EXPECT_EQ(host_.endCode, c.exitCode);
  EXPECT_EQ(boxes_.Count(c.box), 1);
  EXPECT_TRUE(transfer.finishes.empty());
}

INSTANTIATE_TEST_SUITE_P(Conditions, FatalEndTest, ::testing::ValuesIn(kFatalCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct UnopenableCase {
  const char* name;
  const char* path;
};

class UnopenableFileTest : public HttpFixture, public ::testing::WithParamInterface<UnopenableCase> {};

TEST_P(UnopenableFileTest, FileThatCannotBeOpenedAbandonsTheTransfer) {
  ASSERT_TRUE(WriteWholeFile("blocker", "a file where a folder should be"));
  cHttp::CreateSubDirectories("folder/x");
  server_.AddFile(kFilePath, PatternBytes(5000));

  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url(kFilePath).c_str(), GetParam().path), 0);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"cHttp::OnExecute :: file open error (-31)"});
  EXPECT_TRUE(fetch.finishes.empty());
  EXPECT_TRUE(fetch.chunks.empty());

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), GetParam().path);
  ASSERT_TRUE(WaitUntilEnded(transfer));
  EXPECT_EQ(boxes_.Count("cHttp::OnExecute :: file open error (-31)"), 2);
  EXPECT_TRUE(transfer.finishes.empty());
  EXPECT_TRUE(SameBytes(ReadWholeFile("blocker"), "a file where a folder should be"));
}

INSTANTIATE_TEST_SUITE_P(Paths, UnopenableFileTest,
                         ::testing::Values(UnopenableCase{"IsAFolder", "folder"},
                                           UnopenableCase{"FolderIsAFile", "blocker/a.pak"}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Wrong answers from the server -------------------------------------------

struct StatusCase {
  const char* name;
  int status;
  int64_t localSize;  // -1: no local file
};

class ErrorStatusTest : public HttpFixture, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ErrorStatusTest, ErrorPageIsNeverWrittenIntoTheFile) {
  const StatusCase& c = GetParam();
  const std::string content = PatternBytes(300000);
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault error;
  error.status = c.status;
  server_.SetFault(kFilePath, error);
  if (c.localSize >= 0) {
    ASSERT_TRUE(WriteWholeFile("a.pak", content.substr(0, c.localSize)));
  }
  const std::string text = "cHttp::OnExecute :: HTTP status " + std::to_string(c.status) + " (-6)";

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{text});
  EXPECT_TRUE(transfer.finishes.empty());
  EXPECT_TRUE(transfer.chunks.empty());
  if (c.localSize >= 0) {
    EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content.substr(0, c.localSize))) << "the local file is left as it was";
  } else {
    EXPECT_FALSE(FileExists("a.pak"));
  }

  cResDownloader fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url(kFilePath).c_str(), "file.json"), 0)
      << "an error page is not a fetched document";
  EXPECT_EQ(boxes_.Count(text), 2);
}

INSTANTIATE_TEST_SUITE_P(Statuses, ErrorStatusTest,
                         ::testing::Values(StatusCase{"NotFoundAbsent", 404, -1},
                                           StatusCase{"NotFoundPartial", 404, 100000},
                                           StatusCase{"ServerErrorAbsent", 500, -1},
                                           StatusCase{"ServerErrorPartial", 500, 100000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpFailureTest, MissingFileOnTheServerIsRefused) {
  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url("/nothing/here.json").c_str(), "here.json"), 0);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"cHttp::OnExecute :: HTTP status 404 (-6)"});
  EXPECT_FALSE(FileExists("here.json"));
}

// A server that ignores Range sends the whole resource: appended after the
// local bytes it would double them. The file starts again from byte 0, and
// the hooks do not count the rewritten bytes twice.
TEST_F(HttpFailureTest, IgnoredRangeStartsTheFileAgain) {
  const std::string content = PatternBytes(5 * kMiB / 2);
  const int64_t total = static_cast<int64_t>(content.size());
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault whole;
  whole.ignoreRange = true;
  server_.SetFault(kFilePath, whole);
  // Stale local bytes: a fresh start must overwrite them too.
  ASSERT_TRUE(WriteWholeFile("a.pak", PatternBytes(1000000, 9)));

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
  EXPECT_EQ(transfer.starts, std::vector<int64_t>{1000000});
  EXPECT_EQ(transfer.starts[0] + transfer.received, total) << "progress must add up to the length exactly";
  EXPECT_EQ(transfer.finishes, (std::vector<std::pair<int64_t, int64_t>>{{0, total}}));
  EXPECT_EQ(server_.Requests().size(), 2u);
  EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(HttpFailureTest, LocalFileLongerThanTheResourceStartsAgain) {
  const std::string content = PatternBytes(400000);
  server_.AddFile(kFilePath, content);
  ASSERT_TRUE(WriteWholeFile("a.pak", content + PatternBytes(5000, 3)));

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
  EXPECT_EQ(transfer.starts, std::vector<int64_t>{0});
  EXPECT_EQ(transfer.received, 400000);
  EXPECT_EQ(server_.Requests().size(), 1u);
}

// In the spirit of curl's test38/test1042: a wrong answer to a range leaves
// the local file byte-identical.
TEST_F(HttpFailureTest, RangeAnswerStartingElsewhereLeavesTheFileAlone) {
  const std::string content = PatternBytes(2 * kMiB);
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault shifted;
  shifted.rangeShift = -4096;
  server_.SetFault(kFilePath, shifted);
  const std::string local = content.substr(0, 1000000);
  ASSERT_TRUE(WriteWholeFile("a.pak", local));

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), local));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"cHttp::OnExecute :: range error (-7)"});
  EXPECT_TRUE(transfer.finishes.empty());
  EXPECT_TRUE(transfer.chunks.empty());
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].Header("Range"), "bytes=1000000-");
}

struct EncodingCase {
  const char* name;
  const char* encoding;
  int64_t localSize;
  bool refused;
};

class ContentEncodingTest : public HttpFixture, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(ContentEncodingTest, EncodedBodyIsNeverStoredAsTheFile) {
  const EncodingCase& c = GetParam();
  const std::string content = PatternBytes(300000);
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault encoded;
  encoded.contentEncoding = c.encoding;
  server_.SetFault(kFilePath, encoded);
  const std::string local = c.localSize >= 0 ? content.substr(0, c.localSize) : "";
  if (c.localSize >= 0) {
    ASSERT_TRUE(WriteWholeFile("a.pak", local));
  }

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer));
  if (c.refused) {
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"cHttp::OnExecute :: content encoding error (-8)"});
    EXPECT_TRUE(transfer.chunks.empty());
    EXPECT_TRUE(transfer.finishes.empty());
    if (c.localSize >= 0) {
      EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), local));
    } else {
      EXPECT_FALSE(FileExists("a.pak"));
    }
  } else {
    EXPECT_TRUE(boxes_.Texts().empty());
    EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
  }
  EXPECT_EQ(server_.Requests()[0].Header("Accept-Encoding"), "*") << "the request itself stays as it is";
}

INSTANTIATE_TEST_SUITE_P(Encodings, ContentEncodingTest,
                         ::testing::Values(EncodingCase{"GzipAbsent", "gzip", -1, true},
                                           EncodingCase{"GzipPartial", "gzip", 1000, true},
                                           EncodingCase{"Brotli", "br", -1, true},
                                           EncodingCase{"Identity", "identity", 1000, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A server that stops sending ---------------------------------------------

// After the timeout a read fails like any failed read: the player is told, and
// the transfer reconnects and resumes from the bytes on disk. A document fetch
// (on the user-interface thread) instead ends there, with nothing fetched.
TEST_F(HttpFailureTest, StallMidBodyTimesOutThenTheFileResumesAndADocumentFetchEnds) {
  cShortNetTimeout shortTimeout(1000);
  const std::string content = PatternBytes(5 * kMiB / 2);
  server_.AddFile(kFilePath, content);
  cHttpTestServer::Fault stall;
  stall.stallAfter = 300000;
  stall.times = 1;
  server_.SetFault(kFilePath, stall);

  cRecordingHttp transfer(host_);
  transfer.DownloadFile(server_.Url(kFilePath).c_str(), "a.pak");
  ASSERT_TRUE(WaitUntilEnded(transfer, 60000));
  EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content));
  EXPECT_TRUE(transfer.IsWhole());
  EXPECT_EQ(transfer.starts, std::vector<int64_t>{0});
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"cHttp::OnExecute :: network error (-5)"});

  server_.SetFault(kFilePath, stall);
  // Were the fetch to hang, the held connection is reset after 30 s.
  std::atomic<bool> fetched{false};
  std::thread breaker([&] {
    for (int waited = 0; !fetched && waited < 30000; waited += 10) platform::SleepMs(10);
    if (!fetched) server_.ResetStalls();
  });
  const uint32_t began = platform::TickCount();
  cResDownloader fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url(kFilePath).c_str(), "file.json"), 0);
  fetched = true;
  breaker.join();
  EXPECT_LT(platform::TickCount() - began, 20000u) << "one timeout, no reconnect";
  EXPECT_EQ(boxes_.Count("cHttp::OnExecute :: network error (-5)"), 2);
}

#ifdef _WIN32
// Wine's Z: drive is the Linux root.
const char kFullDevice[] = "Z:\\dev\\full";
#else
const char kFullDevice[] = "/dev/full";
#endif

TEST_F(HttpFailureTest, FailedWriteIsReportedAndNotCounted) {
  server_.AddFile(kFilePath, PatternBytes(300000));
  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url(kFilePath).c_str(), kFullDevice), 0);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"cHttp::OnExecute :: file write error (-35)"});
  EXPECT_TRUE(fetch.chunks.empty()) << "bytes that were not written are not received";
  EXPECT_TRUE(fetch.finishes.empty());
}

TEST_F(HttpFailureTest, OverlongUrlOrPathIsRefusedNotCut) {
  server_.AddFile(kFilePath, "data");
  const std::string base = server_.Url(kFilePath);
  const std::string longUrl = base + "?" + std::string(1024 - base.size() - 1, 'q');  // 1024 characters
  ASSERT_EQ(longUrl.size(), 1024u);
  const std::string longPath(256, 'p');

  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(longUrl.c_str(), "a.pak"), 0);
  EXPECT_EQ(fetch.DownloadResource(base.c_str(), longPath.c_str()), 0);
  cRecordingHttp transfer(host_);
  transfer.DownloadFile(longUrl.c_str(), "a.pak");
  EXPECT_EQ(transfer.running, 0);
  EXPECT_TRUE(transfer.threads.empty()) << "no thread for a refused transfer";
  transfer.DownloadFile(base.c_str(), longPath.c_str());
  EXPECT_TRUE(transfer.threads.empty());

  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"cHttp::DownloadResource :: url too long (-12)",
                                                       "cHttp::DownloadResource :: path too long (-33)",
                                                       "cHttp::DownloadFile :: url too long (-12)",
                                                       "cHttp::DownloadFile :: path too long (-33)"}));
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_FALSE(FileExists("a.pak"));

  // One character less fits.
  const std::string fittingUrl = longUrl.substr(0, 1023);
  EXPECT_EQ(fetch.DownloadResource(fittingUrl.c_str(), "a.pak"), 4);
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(boxes_.Texts().size(), 4u);
}

#ifndef _WIN32
// A 255-character relative path fits (Windows would refuse the full path for
// another reason: it is longer than MAX_PATH there).
TEST_F(HttpFailureTest, PathOfTwoHundredFiftyFiveCharactersFits) {
  server_.AddFile(kFilePath, "data");
  const std::string path = "d/" + std::string(253, 'p');
  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url(kFilePath).c_str(), path.c_str()), 4);
  EXPECT_TRUE(SameBytes(ReadWholeFile(path), "data"));
}
#endif

#ifdef _WIN32
// INTERNET_FLAG_RELOAD alone fetches from the server but still stores the
// response in WinINet's cache; a client of several gigabytes must not be.
TEST_F(HttpFailureTest, ResponsesAreNotWrittenIntoTheWinInetCache) {
  server_.AddFile("/cached.bin", PatternBytes(20000));
  server_.AddFile("/uncached.bin", PatternBytes(20000));
  auto cached = [](const std::string& url) {
    DWORD size = 0;
    GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
  };

  // The check can see a cached response: WinINet with RELOAD only caches it.
  HINTERNET internet = InternetOpenA("probe", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  ASSERT_NE(internet, nullptr);
  HINTERNET request = InternetOpenUrlA(internet, server_.Url("/cached.bin").c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
  ASSERT_NE(request, nullptr);
  char buffer[4096];
  DWORD read = 0;
  while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
  }
  InternetCloseHandle(request);
  InternetCloseHandle(internet);
  EXPECT_TRUE(cached(server_.Url("/cached.bin")));

  cRecordingHttp fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(server_.Url("/uncached.bin").c_str(), "u.bin"), 20000);
  EXPECT_FALSE(cached(server_.Url("/uncached.bin")));
}
#endif

}  // namespace
