// The download manager fetching whole clients from our test server.

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "download/downloaders.h"
#include "download/manager.h"
#include "manager_fixture.h"
#include "platform/system.h"
#include "tests/support/wait_until.h"

namespace {

namespace fs = std::filesystem;

TEST_F(ManagerTest, WholeClientArrivesByteIdenticalFourTransfersAtATimeInManifestOrder) {
  // Nine entries for four slots, three folders deep.
  const char* names[] = {"bin/game.exe",          "bin/tool.exe.cfg",         "data/maps/sea/a.pak",
                         "data/maps/sea/b.pak",   "data/maps/land/c.pak",     "data/sound/music.ogg",
                         "data/sound/voice.ogg",  "readme.txt",               "zz/last.bin"};
  for (size_t i = 0; i < 9; ++i) Publish(names[i], 3000 + 50000 * i);
  WriteManifest();
  // The first four transfers are held halfway, so the slots are full when
  // the manager considers the fifth entry.
  cHttpTestServer::Fault hold;
  hold.stallAfter = 1000;
  hold.times = 1;
  for (const auto& [name, content] : published) server.SetFault("/client/" + name, hold);

  StartRun();
  ASSERT_TRUE(server.WaitForStalls(4, 30000));
  platform::SleepMs(200);  // time enough for a wrong fifth start to show
  EXPECT_EQ(server.Requests().size(), 4u) << "a fifth transfer started while four slots were busy";
  server.ClearFaults();
  server.ReleaseStalls();
  ASSERT_TRUE(WaitForRunEnd());

  ExpectClientDownloaded();
  EXPECT_LE(server.MaxRequestsAtOnce(), 4);
  // Entries start in manifest order (the manifest lists them by name): the
  // four held are the first four. One request per file.
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), published.size());
  std::set<std::string> firstFour, all;
  auto name = published.begin();
  for (size_t i = 0; i < requests.size(); ++i, ++name) {
    if (i < 4) firstFour.insert("/client/" + name->first);
    all.insert(requests[i].target);
  }
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(firstFour.count(requests[i].target), 1u) << requests[i].target;
  EXPECT_EQ(all.size(), published.size());
  for (const auto& request : requests) EXPECT_EQ(request.Header("User-Agent"), "cFileDownloader");

  EXPECT_EQ(window.finalFigures, 1);
  EXPECT_EQ(window.finished, 1);
  EXPECT_TRUE(window.runningAtFinalFigures) << "the final figures are shown while the run still counts as running";
  EXPECT_EQ(window.completedAtFinalFigures, 0);
  EXPECT_EQ(window.completedAtFinished, 1);
  EXPECT_EQ(Manager()->completed, 1);
  int64_t total = 0;
  for (const auto& [n, content] : published) total += static_cast<int64_t>(content.size());
  EXPECT_EQ(Manager()->totalSize, total);
  EXPECT_EQ(Manager()->progressSize, total);
  EXPECT_EQ(Manager()->receivedSize, total);
  EXPECT_EQ(host.launchTarget, "bin/game.exe") << "tool.exe.cfg is no launch target";
  EXPECT_TRUE(boxes.Texts().empty()) << ::testing::PrintToString(boxes.Texts());
  EXPECT_EQ(LogText(), "") << "nothing was resumed and nothing ended early";
}

TEST_F(ManagerTest, EmptyClientCompletesAtOnce) {
  WriteManifestText("{ \"Version\" : 1, \"TotalCount\" : 0, \"TotalSize\" : 0, \"URL\" : \"" + BaseUrl() +
                    "\", \"FileList\" : [] }");
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(window.finalFigures, 1);
  EXPECT_EQ(window.finished, 1);
  EXPECT_EQ(Manager()->completed, 1);
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(ManagerTest, ClientAlreadyOnDiskCountsAsProgressNotAsReceived) {
  Publish("a.exe", 5000);
  Publish("data/b.pak", 70000);
  Publish("data/c.pak", 1);
  WriteManifest();
  for (const auto& [name, content] : published) {
    fs::create_directories(fs::path(DownloadPath(name)).parent_path());
    ASSERT_TRUE(WriteWholeFile(DownloadPath(name), content));
  }
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());

  EXPECT_EQ(Manager()->completed, 1);
  EXPECT_EQ(Manager()->receivedSize, 0);
  EXPECT_EQ(Manager()->progressSize, Manager()->totalSize);
  EXPECT_TRUE(server.Requests().empty()) << "the manifest's sizes and digests say the files are whole";
  ExpectClientDownloaded();
  // One line per file, with its full size, in any order.
  const std::string log = LogText();
  for (const char* size : {" cMgrDownloader::OnStart 5000\n", " cMgrDownloader::OnStart 70000\n",
                           " cMgrDownloader::OnStart 1\n"}) {
    EXPECT_NE(log.find(size), std::string::npos) << log;
  }
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
}

TEST_F(ManagerTest, PartlyDownloadedFilesAreResumedWithARange) {
  Publish("a.bin", 300000);
  Publish("b.bin", 200000);
  WriteManifest();
  ASSERT_TRUE(WriteWholeFile(DownloadPath("a.bin"), published["a.bin"].substr(0, 123456)));
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectClientDownloaded();
  const auto requests = server.RequestsFor("/client/a.bin");
  ASSERT_EQ(requests.size(), 1u) << "the manifest's Size is the length: no request to learn it";
  EXPECT_EQ(requests[0].Header("Range"), "bytes=123456-");
  EXPECT_EQ(Manager()->progressSize, 500000);
  EXPECT_EQ(Manager()->receivedSize, 500000 - 123456);
  EXPECT_NE(LogText().find(" cMgrDownloader::OnStart 123456\n"), std::string::npos);
}

TEST_F(ManagerTest, AFileThatCannotBeOpenedFreesItsSlotAndIsReportedMissing) {
  for (int i = 0; i < 6; ++i) Publish("f" + std::to_string(i) + ".bin", 1000 + i);
  WriteManifest();
  // A folder where the file should go: it cannot be opened for writing.
  fs::create_directories(DownloadPath("f0.bin"));
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Manager()->completed, 0);
  EXPECT_EQ(window.incomplete, "1 missing, first f0.bin");
  EXPECT_EQ(boxes.Count("cHttp::OnExecute :: file open error (-31)"), 1);
  published.erase("f0.bin");
  ExpectClientDownloaded();
}

TEST_F(ManagerTest, TooSmallATotalSizeShowsTheSizeErrorOnEveryLaterChunk) {
  Publish("a.exe", 2000);
  Publish("b.bin", 2000);
  WriteManifestText("{ \"Version\" : 1, \"TotalCount\" : 2, \"TotalSize\" : 1000, \"URL\" : \"" + BaseUrl() +
                    "\", \"FileList\" : [ { \"Name\" : \"a.exe\", \"Size\" : 2000 }, "
                    "{ \"Name\" : \"b.bin\", \"Size\" : 2000 } ] }");
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  // Each file's chunks arrive after the first 1000 bytes were passed.
  EXPECT_GE(boxes.Count("cMgrDownloader::OnReceived size error"), 2);
  EXPECT_EQ(boxes.Count("cMgrDownloader::OnReceived size error"), static_cast<int>(boxes.Texts().size()));
  EXPECT_EQ(Manager()->completed, 1);
  ExpectClientDownloaded();
}

TEST_F(ManagerTest, BaseUrlWithoutItsSlashFailsEveryEntryAndTheRunIsIncomplete) {
  Publish("a.exe", 10);
  Publish("b.bin", 10);
  Publish("c.bin", 10);
  WriteManifest();
  std::string text = ReadWholeFile(temp.PathOf("work/file.json"));
  const std::string url = BaseUrl();
  text.replace(text.find(url), url.size(), url.substr(0, url.size() - 1));
  WriteManifestText(text);

  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(boxes.Count("cMgrDownloader::DoDownloadFile :: file.json URL format error"), 3);
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_EQ(Manager()->completed, 0);
  EXPECT_EQ(window.finished, 0);
  EXPECT_EQ(window.incomplete, "3 missing, first a.exe");
  EXPECT_FALSE(FileExists(DownloadPath("a.exe")));
}

// A client of many small files: each lane keeps its connection from one
// file to the next, and each file costs one request.
TEST_F(ManagerTest, ManySmallFilesTakeOneConnectionPerLaneAndOneRequestEach) {
  for (int i = 0; i < 120; ++i) Publish("small/" + std::to_string(i) + ".bin", 1000 + i);
  WriteManifest();
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectClientDownloaded();
  EXPECT_EQ(Manager()->completed, 1);
  const auto requests = server.Requests();
  std::set<std::string> targets;
  std::set<int> connections;
  for (const auto& request : requests) {
    targets.insert(request.target);
    connections.insert(request.connection);
  }
  EXPECT_EQ(requests.size(), 120u);
  EXPECT_EQ(targets.size(), 120u);
#ifdef _WIN32
  // WinINet keeps one pool of connections for the process, and hands a
  // connection back when the closed request is torn down on its own thread:
  // on a busy machine a lane asks before it is back and a fifth is opened.
  const size_t most = 8;
#else
  const size_t most = 4;  // each lane keeps its own
#endif
  EXPECT_LE(connections.size(), most) << "a lane opened a connection of its own for a file";
}

TEST_F(ManagerTest, TheLastLaunchTargetWins) {
  Publish("a/first.exe", 10);
  Publish("b/second.exe", 10);
  Publish("c/third.exe.txt", 10);
  WriteManifest();
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(host.launchTarget, "b/second.exe");
}

}  // namespace

// The speed limit holds for the run's four transfers together: a client of
// twice the limit takes two seconds, and a limit changed during a run holds
// for the rest of it.
struct SpeedCase {
  const char* name;
  int64_t firstLimit;  // bytes per second
  int64_t limit;       // from the time the first 64 KiB have arrived
};

class SpeedLimitTest : public ManagerTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(SpeedLimitTest, FourTransfersTogetherKeepToTheLimit) {
  const SpeedCase& c = GetParam();
  for (int i = 0; i < 4; ++i) Publish("part" + std::to_string(i) + ".pak", static_cast<size_t>(c.limit / 2));
  WriteManifest();
  host.speedLimit = c.firstLimit;
  StartRun();
  ASSERT_TRUE(WaitUntil([&] { return Manager()->receivedSize >= 65536; }, 30000));
  host.speedLimit = c.limit;
  const int64_t before = Manager()->receivedSize;
  const uint32_t start = platform::TickCount();
  // Timed to the last byte: the run's end after it (the lanes joined, the
  // record of verified files written out to the disk) is no part of the rate.
  ASSERT_TRUE(WaitUntil([&] { return Manager()->receivedSize >= 2 * c.limit; }, 30000));
  const double seconds = (platform::TickCount() - start) / 1000.0;
  ASSERT_TRUE(WaitForRunEnd());
  const double expected = static_cast<double>(2 * c.limit - before) / static_cast<double>(c.limit);
  EXPECT_NEAR(seconds, expected, expected * 0.1) << "bytes a second: " << (2 * c.limit - before) / seconds;
  ExpectClientDownloaded();
}

INSTANTIATE_TEST_SUITE_P(Limits, SpeedLimitTest,
                         ::testing::Values(SpeedCase{"HalfAMebibyte", 524288, 524288},
                                           SpeedCase{"TwoMebibytes", 2097152, 2097152},
                                           SpeedCase{"RaisedDuringTheRun", 131072, 1048576}),
                         [](const auto& info) { return std::string(info.param.name); });
