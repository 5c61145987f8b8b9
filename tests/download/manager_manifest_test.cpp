// The download manager against manifests it must not trust.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "manager_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string Entry(const std::string& name, int size) {
  return "{ \"Name\" : \"" + name + "\", \"Size\" : " + std::to_string(size) + " }";
}

class HostileManifestTest : public ManagerTest {
 protected:
  void WriteList(int totalCount, const std::vector<std::string>& entries, int64_t totalSize = 30) {
    std::string list;
    for (const std::string& entry : entries) list += (list.empty() ? "" : ", ") + entry;
    WriteManifestText("{ \"Version\" : 1, \"TotalCount\" : " + std::to_string(totalCount) +
                      ", \"TotalSize\" : " + std::to_string(totalSize) + ", \"URL\" : \"" + BaseUrl() +
                      "\", \"FileList\" : [ " + list + " ] }");
  }
};

TEST_F(HostileManifestTest, NamesOutsideTheDownloadFolderAreRefusedAndNeverWritten) {
  Publish("ok.bin", 10);
  // Each of these would write outside the download folder on Windows.
  const std::string hostile[] = {"../escape.exe", "data/../../escape.exe", "/escape.exe",  "\\\\escape.exe",
                                 "c:escape.exe",  "..\\escape.exe",        ".. /escape.exe", "data/.../escape.exe"};
  std::vector<std::string> entries = {Entry("ok.bin", 10)};
  for (const std::string& name : hostile) entries.push_back(Entry(name, 10));
  WriteList(static_cast<int>(entries.size()), entries);

  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectClientDownloaded();
  int refusals = 0;
  for (const std::string& text : boxes.Texts()) {
    refusals += text.find("names a file outside the download folder (-53)") != std::string::npos;
  }
  EXPECT_EQ(refusals, 8) << ::testing::PrintToString(boxes.Texts());
  EXPECT_EQ(server.Requests().size(), 1u) << "only the safe entry is fetched";
  EXPECT_FALSE(FileExists(temp.PathOf("escape.exe")));
  EXPECT_FALSE(FileExists(temp.PathOf("work/escape.exe")));
  EXPECT_EQ(host.launchTarget, "") << "a refused name is never the launch target";
  // The rest of the client arrives, but the run is not complete: eight of its
  // files are missing, the first five named.
  EXPECT_EQ(Manager()->completed, 0);
  EXPECT_EQ(window.finished, 0);
  EXPECT_EQ(window.incomplete, "8 missing, first ../escape.exe");
  EXPECT_EQ(Manager()->MissingFiles(), 8);
  EXPECT_STREQ(Manager()->MissingFile(4), hostile[4].c_str());
  EXPECT_EQ(Manager()->MissingFile(5), nullptr);
}

TEST_F(HostileManifestTest, TotalCountLargerThanTheListIsCutToTheList) {
  Publish("a.exe", 10);
  Publish("b.bin", 20);
  WriteList(5, {Entry("a.exe", 10), Entry("b.bin", 20)});
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Manager()->fileCount, 2);
  EXPECT_EQ(Manager()->completed, 1);
  ExpectClientDownloaded();
}

TEST_F(HostileManifestTest, TotalCountSmallerThanTheListIgnoresTheRest) {
  Publish("a.exe", 10);
  Publish("b.bin", 20);
  WriteList(1, {Entry("a.exe", 10), Entry("b.bin", 20)});
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_TRUE(FileExists(DownloadPath("a.exe")));
  EXPECT_FALSE(FileExists(DownloadPath("b.bin")));
}

// The copy in the work folder is checked again at every Start: one changed
// since it was verified, or one whose signature went missing, is not used.
TEST_F(HostileManifestTest, AManifestThatNoLongerVerifiesEndsTheRunBeforeAnyFile) {
  Publish("a.exe", 10);
  const struct {
    const char* what;
    void (*spoil)(const std::string& manifest);
    std::string reason;
  } cases[] = {
      {"a byte added", [](const std::string& manifest) { std::ofstream(manifest, std::ios::app) << ' '; },
       "file.json does not match its signature file.json.sig"},
      {"no signature", [](const std::string& manifest) { fs::remove(manifest + ".sig"); },
       "the signature file.json.sig is missing or damaged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteManifest();
    c.spoil(temp.PathOf("work/file.json"));
    StartRun();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(boxes.Count("cMgrDownloader::DoDownloadFile :: the download information could not be verified: " +
                          c.reason + " (-55)"),
              1)
        << ::testing::PrintToString(boxes.Texts());
    EXPECT_TRUE(server.Requests().empty()) << "no file is fetched";
    EXPECT_FALSE(FileExists(DownloadPath("a.exe")));
    EXPECT_EQ(Manager()->completed, 0);
    EXPECT_EQ(window.finished, 0);
  }
}

TEST_F(HostileManifestTest, MissingManifestEndsTheRunWithoutCompletion) {
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(boxes.Count("cMgrDownloader::DoDownloadFile :: file.json loading error (-51)"), 1);
  EXPECT_EQ(Manager()->completed, 0);
  EXPECT_EQ(window.finalFigures, 0);
  EXPECT_EQ(window.finished, 0) << "no Launch without a client";
}

TEST_F(HostileManifestTest, UnreadableManifestEndsTheRunWithoutCompletion) {
  WriteManifestText("\xEF\xBB\xBF{ \"Version\" : 1 }");
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(boxes.Count("cMgrDownloader::DoDownloadFile :: file.json loading error (-51)"), 1);
  EXPECT_EQ(window.finished, 0);
}

TEST_F(HostileManifestTest, ManifestWithoutItsMembersEndsTheRunWithoutCompletion) {
  const struct {
    std::string text;
    std::string missing;
  } cases[] = {
      {"{ \"Version\" : 1, \"TotalSize\" : 1, \"URL\" : \"http://127.0.0.1/\" }", "TotalCount"},
      {"{ \"Version\" : 1, \"TotalCount\" : 0, \"URL\" : \"http://127.0.0.1/\" }", "TotalSize"},
      {"{ \"Version\" : 1, \"TotalCount\" : 0, \"TotalSize\" : 0 }", "URL"},
      {"{ \"Version\" : 1, \"TotalCount\" : 2, \"TotalSize\" : 0, \"URL\" : \"http://127.0.0.1/\" }", "FileList"},
  };
  for (const auto& c : cases) {
    WriteManifestText(c.text);
    StartRun();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(boxes.Count("cMgrDownloader::DoDownloadFile :: file.json has no \"" + c.missing + "\" (-52)"), 1)
        << ::testing::PrintToString(boxes.Texts());
    EXPECT_EQ(Manager()->completed, 0);
    StopRun();
  }
  EXPECT_EQ(window.finished, 0);
}

TEST_F(HostileManifestTest, EntryWithoutANameIsRefusedAndTheRestArrives) {
  Publish("a.exe", 10);
  WriteList(2, {"{ \"Size\" : 10 }", Entry("a.exe", 10)}, 20);
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectClientDownloaded();
  EXPECT_EQ(boxes.Texts().size(), 1u);
  EXPECT_EQ(Manager()->completed, 0);
  EXPECT_EQ(window.incomplete, "1 missing, first (no Name)");
}

}  // namespace
