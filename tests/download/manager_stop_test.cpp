// Stopping a run (Pause, closing the window) and killing the process: the
// files on disk stay good, and a new run finishes them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "download/downloaders.h"
#include "manager_fixture.h"
#include "platform/system.h"
#include "tests/support/wait_until.h"

#ifdef _WIN32
#include <windows.h>

#include "tests/support/refresh_window.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

constexpr size_t kFileSize = 400000;
constexpr int64_t kHeldAt = 150000;

class ManagerStopTest : public ManagerTest {
 protected:
  void PublishClient() {
    for (int i = 0; i < 6; ++i) Publish("data/part" + std::to_string(i) + ".bin", kFileSize + i * 1000);
    Publish("game.exe", 5000);
    WriteManifest();
  }
  // Stops the run while transfers are held in the middle of a response, as
  // Pause does, and says how long the stop took. Held connections are reset
  // afterwards: under Wine, WinINet's own thread goes on waiting on them after
  // the transfer has let go.
  uint32_t StopWhileHeld() {
    const uint32_t start = platform::TickCount();
    StopRun();
    const uint32_t took = platform::TickCount() - start;
    server.ResetStalls();
    return took;
  }
  // Holds the first response of every file after `offset` body bytes.
  void HoldEveryFileAt(int64_t offset) {
    cHttpTestServer::Fault hold;
    hold.stallAfter = offset;
    hold.times = 1;
    for (const auto& [name, content] : published) server.SetFault("/client/" + name, hold);
  }
};

TEST_F(ManagerStopTest, StopMidRunClosesAndJoinsEveryTransferAndANewRunResumes) {
  PublishClient();
  HoldEveryFileAt(kHeldAt);
  StartRun();
  ASSERT_TRUE(server.WaitForStalls(4, 30000));
  cMgrDownloader* manager = Manager();
  ASSERT_EQ(manager->running, 1);

  // Pause once the four held transfers have every byte before the stall: the
  // manager's thread and every transfer, waiting on a server that sends
  // nothing, end within a second.
  ASSERT_TRUE(WaitUntil([&] { return manager->receivedSize >= 4 * kHeldAt; }, 30000));
  EXPECT_LT(StopWhileHeld(), 1000u);
  EXPECT_EQ(Manager(), nullptr);
  EXPECT_EQ(window.finalFigures, 0) << "a stopped run is not completed";
  EXPECT_EQ(window.finished, 0);
  // The server sees each close when its connection thread gets to it.
  EXPECT_TRUE(WaitUntil([&] { return server.OpenConnections() == 0; })) << "every transfer's connection was closed";
  ExpectPartialFilesIntact();
  int held = 0;
  for (const auto& [name, content] : published) held += cHttp::GetLocalFileSize(DownloadPath(name).c_str()) == kHeldAt;
  EXPECT_GE(held, 4) << "the held transfers keep every byte that arrived before the stall";

  server.ClearFaults();
  server.ReleaseStalls();
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectClientDownloaded();
  EXPECT_EQ(Manager()->completed, 1);
  EXPECT_GT(Manager()->progressSize, Manager()->receivedSize) << "the second run counted the bytes it found";
}

TEST_F(ManagerStopTest, TwentyStopsAndStartsLoseAndCorruptNothing) {
  PublishClient();
  for (int round = 0; round < 20; ++round) {
    server.ClearFaults();
    server.ReleaseStalls();
    // Somewhere else in the files each round, sometimes before any data.
    HoldEveryFileAt(static_cast<int64_t>((round * 7919) % 60000));
    StartRun();
    ASSERT_TRUE(server.WaitForStalls(1, 30000)) << "round " << round;
    platform::SleepMs(static_cast<uint32_t>(round % 5) * 7);
    EXPECT_LT(StopWhileHeld(), 1000u) << "round " << round;
    ExpectPartialFilesIntact();
    ASSERT_FALSE(HasFailure()) << "round " << round;
  }
  server.ClearFaults();
  server.ReleaseStalls();
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectClientDownloaded();
  EXPECT_EQ(window.finished, 1);
}

#ifndef _WIN32
// The child of the test below: runs the manager until it is killed.
TEST_F(ManagerStopTest, DISABLED_RunUntilKilled) {
  const char* serverUrl = std::getenv("DOWNLOADER_TEST_URL");
  const char* workFolder = std::getenv("DOWNLOADER_TEST_WORK");
  const char* downloadFolder = std::getenv("DOWNLOADER_TEST_DOWNLOAD");
  ASSERT_TRUE(serverUrl && workFolder && downloadFolder);
  host.workFolder = workFolder;
  host.downloadFolder = downloadFolder;
  host.resourceFolder = host.workFolder;
  StartRun();
  for (;;) platform::SleepMs(1000);
}

TEST_F(ManagerStopTest, AProcessKilledMidRunResumesToTheSameClient) {
  PublishClient();
  HoldEveryFileAt(200000);
  // The child runs the manager in a process of its own, against our server.
  const std::string filter = "--gtest_filter=ManagerStopTest.DISABLED_RunUntilKilled";
  std::string self(4096, '\0');
  self.resize(static_cast<size_t>(readlink("/proc/self/exe", self.data(), self.size())));
  char* const arguments[] = {self.data(), const_cast<char*>(filter.c_str()),
                             const_cast<char*>("--gtest_also_run_disabled_tests"), nullptr};
  setenv("DOWNLOADER_TEST_URL", BaseUrl().c_str(), 1);
  setenv("DOWNLOADER_TEST_WORK", host.workFolder.c_str(), 1);
  setenv("DOWNLOADER_TEST_DOWNLOAD", host.downloadFolder.c_str(), 1);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, self.c_str(), nullptr, nullptr, arguments, environ), 0);

  const bool held = server.WaitForStalls(4, 60000);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(held) << "the child never got its transfers going";
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  ExpectPartialFilesIntact();

  server.ClearFaults();
  server.ResetStalls();
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectClientDownloaded();
  EXPECT_EQ(window.finished, 1);
}
#endif

#ifdef _WIN32
// The main window's final refresh is a message the manager's thread sends to
// the user-interface thread and waits for. Pause can come at that very
// moment: the user-interface thread then waits for the manager's thread.
class cSendingWindow : public cMainWindowLink {
 public:
  cSendingWindow(HWND target, const cRecordingWindow& recorder) : window(target), run(recorder) {}
  void* WindowHandle() override { return window; }
  void RequestRepaint() override {}
  void ShowFinalFigures() override {
    entered = true;
    // Wait for the stop to begin, then send, as a late final refresh does.
    WaitUntil([&] { return !run.manager.load()->running; });
    SendMessageA(window, WM_TIMER, 333, 0);
  }
  void ShowDownloadFinished() override {}
  void ShowDownloadIncomplete(int, const char*) override {}
  void CloseToEnd() override {}
  HWND window;
  // Knows the run the fixture started.
  const cRecordingWindow& run;
  std::atomic<bool> entered{false};
};

TEST_F(ManagerStopTest, PauseDuringTheFinalRefreshDoesNotDeadlock) {
  cRefreshWindow target;
  ASSERT_NE(target.Handle(), nullptr);
  cSendingWindow sender(target.Handle(), window);
  host.window = &sender;

  WriteManifestText("{ \"Version\" : 1, \"TotalCount\" : 0, \"TotalSize\" : 0, \"URL\" : \"" + BaseUrl() +
                    "\", \"FileList\" : [] }");
  StartRun();
  ASSERT_TRUE(WaitUntil([&] { return sender.entered.load(); }));
  StopRun();  // would wait forever if the wait let no sent message through

  EXPECT_EQ(target.Refreshes(), 1);
  EXPECT_EQ(Manager(), nullptr);
  host.window = &window;
}
#endif

}  // namespace
