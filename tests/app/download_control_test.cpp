// The application as the download engine's host, and the program's end when
// memory runs out.

#include "app/download_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <new>
#include <string>

#include "app/app.h"
#include "download/download_host.h"
#include "download/main_window_link.h"
#include "download/manager.h"
#include "platform/message_box.h"
#include "platform/out_of_memory.h"
#include "platform/system.h"
#include "tests/app/app_fixture.h"
#include "tests/support/dev_key_signing.h"

namespace {

class cEndRecorder : public cMainWindowLink {
 public:
  void* WindowHandle() override { return nullptr; }
  void RequestRepaint() override {}
  void ShowFinalFigures() override { ++finalFigures; }
  void ShowDownloadFinished() override { ++finished; }
  void ShowDownloadIncomplete(int, const char*) override {}
  void CloseToEnd() override {}
  std::atomic<int> finalFigures{0};
  std::atomic<int> finished{0};
};

class DownloadControlTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    std::snprintf(theApp->title, sizeof theApp->title, "caption");
    theApp->resourceFolder = theApp->workFolder;
    std::snprintf(theApp->downloadFolder, sizeof theApp->downloadFolder, "%s", temp.Path().c_str());
  }
  void TearDown() override {
    StopDownloadManager();
    SetMainWindowLink(nullptr);
    platform::SetCurrentFolder(temp.Path().c_str());
    AppTest::TearDown();
  }
};

TEST_F(DownloadControlTest, TheEnginesHostIsTheApplicationObject) {
  cDownloadHost& host = AppDownloadHost();
  EXPECT_EQ(host.WorkFolder(), theApp->workFolder);
  EXPECT_EQ(host.ResourceFolder(), theApp->resourceFolder);
  EXPECT_EQ(host.DownloadFolder(), theApp->downloadFolder);
  EXPECT_EQ(host.MainWindow(), nullptr);
  cEndRecorder window;
  SetMainWindowLink(&window);
  EXPECT_EQ(host.MainWindow(), &window);

  EXPECT_EQ(host.NotifyUser("cHttp::OnExecute :: file open error (-31)", platform::kMbIconWarning), platform::kIdOk);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "cHttp::OnExecute :: file open error (-31)");
  EXPECT_EQ(boxes[0].caption, "caption");
  EXPECT_EQ(boxes[0].flags, platform::kMbIconWarning);
}

TEST_F(DownloadControlTest, ALaunchTargetTooLongForTheFieldKeepsThePreviousOne) {
  cDownloadHost& host = AppDownloadHost();
  host.SetLaunchTarget("bin/game.exe", "ab12");
  EXPECT_STREQ(theApp->executableName, "bin/game.exe");
  EXPECT_STREQ(theApp->executableSha256, "ab12");
  host.SetLaunchTarget("bin/other.exe", "");
  EXPECT_STREQ(theApp->executableName, "bin/other.exe");
  EXPECT_STREQ(theApp->executableSha256, "") << "a target without a digest is not checked against the last one's";

  const std::string longest = std::string(sizeof theApp->executableName - 5, 'n') + ".exe";
  host.SetLaunchTarget(longest.c_str(), "cd34");
  EXPECT_EQ(std::string(theApp->executableName), longest);
  const std::string tooLong = "n" + longest;
  host.SetLaunchTarget(tooLong.c_str(), "ef56");
  EXPECT_EQ(std::string(theApp->executableName), longest) << "a cut name would launch another file";
  EXPECT_STREQ(theApp->executableSha256, "cd34");
}

// Start and Pause as the buttons use them, and the menu's Verify and repair,
// on a client with no files: the run reads the resource folder's manifest,
// tells the registered window, and is told whether to verify everything.
TEST_F(DownloadControlTest, ARunStartedForTheApplicationReadsItsManifestAndTellsItsWindow) {
  ASSERT_TRUE(WriteWholeFile(NativePath(PathIn("work\\file.json")).string(),
                             "{ \"Version\" : 1, \"TotalCount\" : 0, \"TotalSize\" : 0, \"URL\" : "
                             "\"http://127.0.0.1/\", \"FileList\" : [] }"));
  ASSERT_TRUE(SignWithDevKey(NativePath(PathIn("work\\file.json")).string()));
  for (const bool verifyEverything : {false, true}) {
    SCOPED_TRACE(verifyEverything ? "verify and repair" : "start");
    cEndRecorder window;
    SetMainWindowLink(&window);
    StartDownloadManager(verifyEverything);
    ASSERT_NE(theApp->downloadManager, nullptr);
    EXPECT_EQ(theApp->downloadManager->VerifiesEverything(), verifyEverything);
    for (int waited = 0; theApp->downloadManager->running && waited < 30000; waited += 5) platform::SleepMs(5);
    EXPECT_EQ(theApp->downloadManager->completed, 1);
    EXPECT_EQ(window.finalFigures, 1);
    EXPECT_EQ(window.finished, 1);
    StopDownloadManager();
    SetMainWindowLink(nullptr);
    EXPECT_EQ(theApp->downloadManager, nullptr);
  }
  EXPECT_TRUE(Boxes().empty());
}

// Exit codes as a parent process sees them: Windows keeps all 32 bits, Linux
// only the low byte.
int ExitCodeSeen(int code) {
#ifdef _WIN32
  return code;
#else
  return code & 0xFF;
#endif
}

void RunOutOfMemory() {
#ifdef _WIN32
  // No 32-bit process has 3 GiB in one piece.
  volatile size_t size = size_t{3} << 30;
  char* volatile never = new char[size];
  delete[] never;
#else
  // Under AddressSanitizer a failed `new` is reported by the sanitizer
  // before any handler runs: the handler is called as `new` calls it.
  std::get_new_handler()();
#endif
}

using DownloadControlDeathTest = DownloadControlTest;

TEST_F(DownloadControlDeathTest, RunningOutOfMemoryTellsThePlayerAndEndsWithItsCode) {
  EXPECT_EXIT(
      {
        platform::ExitWhenOutOfMemory(NotifyUser);
        RunOutOfMemory();
      },
      ::testing::ExitedWithCode(ExitCodeSeen(platform::kOutOfMemoryExitCode)),
      "message box \\[caption\\] operator new :: out of memory \\(-61\\)");
}

}  // namespace
