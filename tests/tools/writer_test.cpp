#include "tools/manifest/writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "download/manifest.h"
#include "json/json.h"
#include "tool_fixture.h"
#include "tools/manifest/checker.h"

namespace {

using manifest_tool::WriteManifest;
using manifest_tool::WriteOutcome;
using manifest_tool::WriteRequest;

const char kUrl[] = "http://127.0.0.1:28080/Live/fullclient/data/";

class WriterTest : public ManifestToolTest {
 protected:
  WriteOutcome Write(const std::string& url = kUrl) { return WriteManifest({Client(), url, Manifest(), false, 0}); }

  // The refusals must name `fragment`, and nothing may have been written.
  void ExpectRefused(const WriteOutcome& outcome, const std::string& fragment) {
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(std::filesystem::exists(Manifest())) << "a refused manifest must not be written";
    bool named = false;
    for (const std::string& refusal : outcome.refusals) named = named || refusal.find(fragment) != std::string::npos;
    EXPECT_TRUE(named) << "no refusal names \"" << fragment << "\"; refusals: " << ::testing::PrintToString(outcome.refusals);
  }
};

TEST_F(WriterTest, ClientFolderRoundTripsThroughTheDownloadersOwnReader) {
  const std::map<std::string, int64_t> files = {
      {"bin/game.exe", 4096},        {"bin/tool.exe.cfg", 10},      {"data/maps/sea/tile-01.pak", 70000},
      {"data/maps/sea/tile-02.pak", 1}, {"data/sound/music.ogg", 333}, {"readme.txt", 12},
  };
  for (const auto& [name, size] : files) AddFile(name, size);

  const WriteOutcome outcome = Write();
  ASSERT_TRUE(outcome.written) << ::testing::PrintToString(outcome.refusals);
  EXPECT_EQ(outcome.version, 1);
  EXPECT_EQ(outcome.fileCount, 6);

  const manifest_tool::CheckReport report = manifest_tool::CheckManifest(Manifest(), Client());
  EXPECT_TRUE(report.problems.empty()) << ::testing::PrintToString(report.problems);
  ASSERT_EQ(report.notes.size(), 1u);
  EXPECT_EQ(report.notes[0], "launch target: bin/game.exe");

  cJson manifest;
  ASSERT_TRUE(manifest.LoadFile(Manifest().c_str()));
  ManifestSummary summary;
  const char* missing = nullptr;
  ASSERT_EQ(ReadManifestSummary(manifest, &summary, &missing), ManifestProblem::kNone);
  EXPECT_EQ(summary.fileCount, 6);
  EXPECT_STREQ(summary.baseUrl, kUrl);
  int64_t total = 0;
  auto expected = files.begin();
  for (int i = 0; i < summary.fileCount; ++i, ++expected) {
    const ManifestEntry entry = ReadManifestEntry(summary, i);
    ASSERT_NE(entry.name, nullptr);
    EXPECT_EQ(entry.name, expected->first) << "entries come in the byte order of their names";
    EXPECT_EQ(entry.size, expected->second);
    EXPECT_EQ(entry.size, static_cast<int64_t>(std::filesystem::file_size(root / "client" / entry.name)));
    total += entry.size;
  }
  EXPECT_EQ(summary.totalSize, total);
}

TEST_F(WriterTest, VersionCountsOnFromTheStoredOneUnlessGiven) {
  AddFile("a.exe", 5);
  EXPECT_EQ(Write().version, 1);
  EXPECT_EQ(Write().version, 2);
  EXPECT_EQ(Write().version, 3);
  const WriteOutcome given = WriteManifest({Client(), kUrl, Manifest(), true, 40});
  EXPECT_TRUE(given.written);
  EXPECT_EQ(given.version, 40);
  EXPECT_EQ(Write().version, 41);
}

TEST_F(WriterTest, TheManifestBeingWrittenInsideTheFolderIsNotListed) {
  AddFile("a.exe", 5);
  const std::string inside = (root / "client" / "file.json").string();
  ASSERT_TRUE(WriteManifest({Client(), kUrl, inside, false, 0}).written);
  const WriteOutcome again = WriteManifest({Client(), kUrl, inside, false, 0});
  EXPECT_TRUE(again.written);
  EXPECT_EQ(again.fileCount, 1);
}

TEST_F(WriterTest, BaseUrlWithoutItsSlashIsRefused) {
  AddFile("a.exe", 5);
  ExpectRefused(Write("http://127.0.0.1/client"), "does not end with '/'");
}

TEST_F(WriterTest, BaseUrlWithACharacterTheReaderCutsIsRefused) {
  AddFile("a.exe", 5);
  for (const char* url : {"http://127.0.0.1/a,b/", "http://127.0.0.1/a}b/"}) ExpectRefused(Write(url), "ends a value");
  for (const char* url : {"http://127.0.0.1/a{b/", "http://127.0.0.1/a]b/", "http://127.0.0.1/a b/"}) {
    ExpectRefused(Write(url), "which a URL cannot carry as it is");
  }
}


#ifndef _WIN32
// Windows cannot even make such a file below its 260-character path limit.
TEST_F(WriterTest, NameOver255CharactersIsRefused) {
  AddFile(std::string(200, 'd') + "/" + std::string(60, 'f'), 3);
  ExpectRefused(Write(), "is 261 bytes long");
}
#endif

TEST_F(WriterTest, UrlAndNameOver1023CharactersAreRefused) {
  AddFile(std::string(100, 'n'), 3);
  const std::string url = "http://127.0.0.1/" + std::string(910, 'u') + "/";
  ExpectRefused(Write(url), "URL and name together are 1028 characters long");
}

// A real client's names: spaces, accents, other scripts and the characters
// a URL encodes, published and read back by the downloader's own reader.
TEST_F(WriterTest, NamesWithAnyLettersArePublished) {
  const std::string names[] = {"Sound Banks/Ambience 1.pak", "Donn\xC3\xA9""es/\xC3\xA9t\xC3\xA9.pak",
                               "\xE9\x9F\xB3\xE5\xA3\xB0/\xE5\xA3\xB0.pak", "x/#%+&'[]{=;@!$() a.pak", "game.exe",
                               "Hello, World.ogg", "a}b.pak"};
  for (const std::string& name : names) AddFile(name, 7);
  AddFile("placeholder.dat", 0);  // an empty file is published too
  const WriteOutcome outcome = Write();
  ASSERT_TRUE(outcome.written) << ::testing::PrintToString(outcome.refusals);
  EXPECT_EQ(outcome.fileCount, 8);
  const manifest_tool::CheckReport report = manifest_tool::CheckManifest(Manifest(), Client());
  EXPECT_TRUE(report.problems.empty()) << ::testing::PrintToString(report.problems);
}

#ifndef _WIN32
// Linux stores what Windows cannot: each such file is named once, with what
// is wrong with it.
TEST_F(WriterTest, NamesWindowsCannotStoreAreRefusedOnceEach) {
  AddFile("ok.exe", 5);
  AddFile("a|b|c.pak", 3);
  AddFile("nul.txt", 3);
  const WriteOutcome outcome = Write();
  ExpectRefused(outcome, "a|b|c.pak: holds '|', which Windows cannot store in a name");
  ExpectRefused(outcome, "nul.txt: holds \"nul.txt\", a device name");
  EXPECT_EQ(outcome.refusals.size(), 2u) << ::testing::PrintToString(outcome.refusals);
}
#endif

TEST_F(WriterTest, MissingFolderIsRefused) {
  std::filesystem::remove_all(root / "client");
  ExpectRefused(Write(), "not a folder");
}

}  // namespace
