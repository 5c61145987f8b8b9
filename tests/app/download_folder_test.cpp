// cApp::CreateDownloadDirectory against the real file system. On Linux a
// folder named "c:" (or "d:", "e:") in the test's folder stands in for a
// drive; under Wine c: is the prefix's drive and d: and e: are mapped onto
// folders of the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/app.h"
#include "app/main_window_link.h"
#include "app_fixture.h"
#include "platform/message_box.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

class cRepaintCounter : public cMainWindowLink {
 public:
  void* WindowHandle() override { return nullptr; }
  void RequestRepaint() override { ++repaints; }
  void ShowFinalFigures() override {}
  void ShowDownloadFinished() override {}
  int repaints = 0;
};

class DownloadFolderTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    std::snprintf(theApp->title, sizeof theApp->title, "caption");
    for (char drive : {'c', 'd', 'e'}) MakeDrive(drive);
  }
  void TearDown() override {
#ifdef _WIN32
    for (const char* drive : {"D:", "E:"}) DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive, nullptr);
    std::error_code ignored;
    fs::remove_all("c:\\PLAX", ignored);
    fs::remove_all("c:\\games", ignored);
#endif
    AppTest::TearDown();
  }

  // The folder that stands for `drive`'s root.
  fs::path Drive(char drive) const {
#ifdef _WIN32
    if (drive == 'c') return fs::path("c:\\");
#endif
    return root / (std::string(1, drive) + ":");
  }

  void MakeDrive(char drive) {
    fs::create_directories(Drive(drive));
#ifdef _WIN32
    if (drive != 'c') {
      const std::string letter = std::string(1, static_cast<char>(toupper(drive))) + ":";
      ASSERT_TRUE(DefineDosDeviceA(0, letter.c_str(), Drive(drive).string().c_str()));
    }
#endif
  }
};

TEST_F(DownloadFolderTest, DefaultFolderCreatesItsThreeLevels) {
  theApp->CreateDownloadDirectory("c:\\PLAX\\download\\zt_kr\\");
  EXPECT_STREQ(theApp->downloadFolder, "c:\\PLAX\\download\\zt_kr\\");
  const std::u16string wide(theApp->downloadFolderWide, theApp->downloadFolderWide + 23);
  EXPECT_EQ(wide, u"c:\\PLAX\\download\\zt_kr\\");
  EXPECT_EQ(theApp->downloadFolderWide[23], 0);
  EXPECT_TRUE(fs::is_directory(Drive('c') / "PLAX" / "download" / "zt_kr"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, FolderWithoutTrailingBackslashCreatesItself) {
  theApp->CreateDownloadDirectory("d:\\games");
  EXPECT_TRUE(fs::is_directory(Drive('d') / "games"));
  EXPECT_STREQ(theApp->downloadFolder, "d:\\games");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, DriveRootCreatesNothingAndShowsNothing) {
  theApp->CreateDownloadDirectory("e:\\");
  EXPECT_STREQ(theApp->downloadFolder, "e:\\");
  EXPECT_TRUE(fs::is_empty(Drive('e')));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, ForwardSlashesOnlyShowTheErrorAndCreateNothing) {
  theApp->CreateDownloadDirectory("c:/games/");
  EXPECT_STREQ(theApp->downloadFolder, "c:/games/") << "the folder is kept and shown anyway";
  EXPECT_FALSE(fs::exists(Drive('c') / "games"));
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "cApp::CreateDownloadDirectory :: error (-32)");
  EXPECT_EQ(boxes[0].caption, "caption");
  EXPECT_EQ(boxes[0].flags, platform::kMbIconWarning);
}

TEST_F(DownloadFolderTest, SamePathTwiceIsHarmless) {
  theApp->CreateDownloadDirectory("c:\\PLAX\\download\\zt_kr\\");
  fs::create_directories(Drive('c') / "PLAX" / "download" / "zt_kr" / "keep");
  theApp->CreateDownloadDirectory("c:\\PLAX\\download\\zt_kr\\");
  EXPECT_TRUE(fs::is_directory(Drive('c') / "PLAX" / "download" / "zt_kr" / "keep"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, LevelsThatCannotBeMadeAreSkippedSilently) {
  // A file stands where the first level should go: it and the levels below
  // it cannot be created, and nobody is told.
  WriteBytes(Drive('d') / "blocked", "x");
  theApp->CreateDownloadDirectory("d:\\blocked\\client\\");
  EXPECT_STREQ(theApp->downloadFolder, "d:\\blocked\\client\\");
  EXPECT_TRUE(fs::is_regular_file(Drive('d') / "blocked"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, MainWindowIsAskedToRepaint) {
  cRepaintCounter window;
  SetMainWindowLink(&window);
  theApp->CreateDownloadDirectory("d:\\games");
  theApp->CreateDownloadDirectory("c:/games/");
  SetMainWindowLink(nullptr);
  EXPECT_EQ(window.repaints, 2) << "the new path is drawn, whether or not it could be created";
}

TEST_F(DownloadFolderTest, PathTooLongForTheFieldIsRefusedNotCut) {
  theApp->CreateDownloadDirectory("d:\\games");
  const std::string longPath = "d:\\" + std::string(300, 'x') + "\\";
  theApp->CreateDownloadDirectory(longPath.c_str());
  EXPECT_STREQ(theApp->downloadFolder, "d:\\games") << "the folder in force stays";
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "cApp::CreateDownloadDirectory :: path too long (-33)");
}

}  // namespace
