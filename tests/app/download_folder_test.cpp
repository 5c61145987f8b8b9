// cApp::CreateDownloadDirectory against the real file system. On Linux
// folders named "c:", "d:" and "e:" in the test's folder stand in for drives;
// under Wine every case uses the prefix's own drive c:.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "app/app.h"
#include "app_fixture.h"
#include "download/main_window_link.h"
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
  void ShowDownloadIncomplete(int, const char*) override {}
  void CloseToEnd() override {}
  int repaints = 0;
};

class DownloadFolderTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    std::snprintf(theApp->title, sizeof theApp->title, "caption");
#ifndef _WIN32
    for (char drive : {'c', 'd', 'e'}) fs::create_directories(Drive(drive));
#endif
  }
  void TearDown() override {
#ifdef _WIN32
    std::error_code ignored;
    for (const char* folder : {"c:\\PLAX", "c:\\games", "c:\\blocked"}) fs::remove_all(folder, ignored);
#endif
    AppTest::TearDown();
  }

  // `path` with its drive letter as the test uses it.
  static std::string OnDrive(char drive, const std::string& path) {
#ifdef _WIN32
    drive = 'c';
#endif
    return std::string(1, drive) + ":" + path;
  }

  // The folder that stands for `drive`'s root.
  fs::path Drive(char drive) const {
#ifdef _WIN32
    (void)drive;
    return fs::path("c:\\");
#else
    return root / (std::string(1, drive) + ":");
#endif
  }

  // Every entry directly in `folder`.
  static std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
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

// Names are UTF-8 (the programs declare that code page): the folder is made
// under its own letters and drawn from their UTF-16 form, a character beyond
// the 16-bit plane as its surrogate pair.
TEST_F(DownloadFolderTest, FolderOfAnyLettersIsMadeAndDrawnAsItIs) {
  const std::string folder = "\\games\\Donn\xC3\xA9""es \xE9\x9F\xB3\xE5\xA3\xB0 #%+&'[]\\\xF0\x9F\x8E\xAE";
  theApp->CreateDownloadDirectory(OnDrive('d', folder).c_str());
  EXPECT_EQ(std::string(theApp->downloadFolder), OnDrive('d', folder));
  const std::u16string drawn = std::u16string(1, OnDrive('d', "")[0]) + u":\\games\\Donn\u00E9es \u97F3\u58F0 #%+&'[]\\\U0001F3AE";
  EXPECT_EQ(std::u16string(theApp->downloadFolderWide, theApp->downloadFolderWide + drawn.size()), drawn);
  EXPECT_EQ(theApp->downloadFolderWide[drawn.size()], 0);
  EXPECT_TRUE(fs::is_directory(Drive('d') / fs::u8path("games/Donn\xC3\xA9""es \xE9\x9F\xB3\xE5\xA3\xB0 #%+&'[]/\xF0\x9F\x8E\xAE")));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, FolderWithoutTrailingBackslashCreatesItself) {
  theApp->CreateDownloadDirectory(OnDrive('d', "\\games").c_str());
  EXPECT_TRUE(fs::is_directory(Drive('d') / "games"));
  EXPECT_EQ(std::string(theApp->downloadFolder), OnDrive('d', "\\games"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, DriveRootCreatesNothingAndShowsNothing) {
  const std::set<std::string> before = Listing(Drive('e'));
  theApp->CreateDownloadDirectory(OnDrive('e', "\\").c_str());
  EXPECT_EQ(std::string(theApp->downloadFolder), OnDrive('e', "\\"));
  EXPECT_EQ(Listing(Drive('e')), before);
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
  WriteWholeFile((Drive('d') / "blocked").string(), "x");
  theApp->CreateDownloadDirectory(OnDrive('d', "\\blocked\\client\\").c_str());
  EXPECT_EQ(std::string(theApp->downloadFolder), OnDrive('d', "\\blocked\\client\\"));
  EXPECT_TRUE(fs::is_regular_file(Drive('d') / "blocked"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadFolderTest, MainWindowIsAskedToRepaint) {
  cRepaintCounter window;
  SetMainWindowLink(&window);
  theApp->CreateDownloadDirectory(OnDrive('d', "\\games").c_str());
  theApp->CreateDownloadDirectory("c:/games/");
  SetMainWindowLink(nullptr);
  EXPECT_EQ(window.repaints, 2) << "the new path is drawn, whether or not it could be created";
}

TEST_F(DownloadFolderTest, PathTooLongForTheFieldIsRefusedNotCut) {
  theApp->CreateDownloadDirectory(OnDrive('d', "\\games").c_str());
  const std::string longPath = OnDrive('d', "\\" + std::string(300, 'x') + "\\");
  theApp->CreateDownloadDirectory(longPath.c_str());
  EXPECT_EQ(std::string(theApp->downloadFolder), OnDrive('d', "\\games")) << "the folder in force stays";
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "cApp::CreateDownloadDirectory :: path too long (-33)");
}

}  // namespace
