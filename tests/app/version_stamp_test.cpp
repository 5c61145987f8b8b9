// cApp::CheckVersion and version.txt, with real files in the work folder.

#include "app/version_stamp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "app_fixture.h"
#include "json/json.h"
#include "platform/message_box.h"

namespace {

namespace fs = std::filesystem;

class VersionStampTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    theApp->resourceFolder = theApp->workFolder;  // as the main sequence leaves it
  }
  void Load(const std::string& text) { ASSERT_TRUE(document.Parse(text.c_str())) << text; }
  fs::path VersionFile() const { return root / "work" / "version.txt"; }
  // A folder of the test, written the way the program writes folders.
  std::string StoredFolder(const std::string& levels) const { return PathIn(levels); }

  cJson document;
};

const char kUxDocument[] = "{ \"version\" : \"201904221642\", \"use-local-resource\" : true }";

TEST_F(VersionStampTest, MissingVersionEndsTheProgramWithZeroAfterItsMessage) {
  Load("{ \"window-title\" : \"x\" }");
  EXPECT_FALSE(theApp->CheckVersion(document)) << "the main sequence then returns 0";
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"cApp::CheckVersion :: version check error(-41)"});
}

TEST_F(VersionStampTest, VersionIsKeptAndCutAt63Characters) {
  Load(kUxDocument);
  theApp->CheckVersion(document);
  EXPECT_STREQ(theApp->version, "201904221642");

  cJson longVersion;
  const std::string text = "{ \"version\" : \"" + std::string(100, '7') + "\" }";
  ASSERT_TRUE(longVersion.Parse(text.c_str()));
  theApp->CheckVersion(longVersion);
  EXPECT_EQ(std::string(theApp->version), std::string(63, '7'));
}

TEST_F(VersionStampTest, ResourceFolderFollowsUseLocalResource) {
  struct Case {
    const char* member;
    const char* startFolder;  // "work", "none"
    const char* expected;     // "work", "program"
  };
  const Case cases[] = {
      {"\"use-local-resource\" : true", "work", "work"},
      {"\"use-local-resource\" : true", "none", "program"},
      {"\"use-local-resource\" : \"true\"", "none", "program"},
      {"\"use-local-resource\" : false", "none", "work"},
      {"\"use-local-resource\" : True", "none", "work"},
      {"\"use-local-resource\" : 1", "none", "work"},
      {"\"other\" : 0", "none", "work"},
  };
  fs::create_directories(root / "program");
  for (const Case& c : cases) {
    cJson ux;
    const std::string text = std::string("{ \"version\" : \"1\", ") + c.member + " }";
    ASSERT_TRUE(ux.Parse(text.c_str()));
    theApp->resourceFolder = std::string(c.startFolder) == "work" ? theApp->workFolder : nullptr;
    theApp->CheckVersion(ux);
    const char* expected = std::string(c.expected) == "work" ? theApp->workFolder : theApp->programFolder;
    EXPECT_EQ(theApp->resourceFolder, expected) << c.member << " starting from " << c.startFolder;
    EXPECT_EQ(fs::current_path(), NativePath(expected).parent_path())
        << "the resource folder is made current for " << c.member;
  }
}

TEST_F(VersionStampTest, StoredFolderIsRestoredAndItsLevelsCreated) {
  const std::string folder = StoredFolder("games\\client\\");
  WriteWholeFile(VersionFile().string(), "201904221642\n" + folder);
  Load(kUxDocument);
  theApp->CheckVersion(document);
  EXPECT_EQ(std::string(theApp->downloadFolder), folder);
  EXPECT_TRUE(fs::is_directory(root / "games" / "client"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(VersionStampTest, SecondLineIsHandedOnUntrimmed) {
  const std::string folder = StoredFolder("games\\");
  WriteWholeFile(VersionFile().string(), "201904221642\n" + folder + "\r\n");
  Load(kUxDocument);
  theApp->CheckVersion(document);
  EXPECT_EQ(std::string(theApp->downloadFolder), folder + "\r\n");
}

TEST_F(VersionStampTest, NothingIsRestoredWithoutAFolderLine) {
  for (const char* content : {"201904221642", "201904221642\n", ""}) {
    theApp->downloadFolder[0] = 0;
    WriteWholeFile(VersionFile().string(), content);
    Load(kUxDocument);
    theApp->CheckVersion(document);
    EXPECT_STREQ(theApp->downloadFolder, "") << "version.txt holding \"" << content << "\"";
  }
  fs::remove(VersionFile());
  theApp->CheckVersion(document);
  EXPECT_STREQ(theApp->downloadFolder, "") << "no version.txt: a first run";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(VersionStampTest, AFolderChosenAlreadyIsNotReplaced) {
  WriteWholeFile(VersionFile().string(), "201904221642\n" + StoredFolder("stored\\"));
  std::snprintf(theApp->downloadFolder, sizeof theApp->downloadFolder, "%s", "x:\\chosen\\");
  Load(kUxDocument);
  theApp->CheckVersion(document);
  EXPECT_STREQ(theApp->downloadFolder, "x:\\chosen\\");
  EXPECT_FALSE(fs::exists(root / "stored"));
}

TEST_F(VersionStampTest, OverlongStoredFolderIsRefusedNotCut) {
  const std::string folder = StoredFolder(std::string(300, 'f') + "\\");
  WriteWholeFile(VersionFile().string(), "201904221642\n" + folder);
  Load(kUxDocument);
  theApp->CheckVersion(document);
  EXPECT_STREQ(theApp->downloadFolder, "") << "the default folder rule applies instead";
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "cApp::CreateDownloadDirectory :: path too long (-33)");
}

TEST_F(VersionStampTest, WrittenFileHoldsVersionLineFeedAndFolderWithoutFinalLineFeed) {
  Load(kUxDocument);
  theApp->CheckVersion(document);
  ASSERT_FALSE(fs::exists(VersionFile()));
  theApp->CreateDownloadDirectory(StoredFolder("PLAX\\download\\zt_kr\\").c_str());
  WriteVersionFile();
  EXPECT_EQ(ReadWholeFile(VersionFile().string()), "201904221642\n" + StoredFolder("PLAX\\download\\zt_kr\\"));

  // A second start reads back exactly that folder.
  std::string written = theApp->downloadFolder;
  theApp->downloadFolder[0] = 0;
  theApp->CheckVersion(document);
  EXPECT_EQ(std::string(theApp->downloadFolder), written);
}

TEST_F(VersionStampTest, UnwritableWorkFolderWritesNothingAndSaysNothing) {
  std::snprintf(theApp->workFolder, sizeof theApp->workFolder, "%s", PathIn("missing\\").c_str());
  std::snprintf(theApp->version, sizeof theApp->version, "1");
  WriteVersionFile();
  EXPECT_FALSE(fs::exists(root / "missing"));
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
