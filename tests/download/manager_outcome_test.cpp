// A run that lost a file: whatever kept one file of the client from arriving
// whole, the run does not complete (no Launch) and names the file; the rest
// of the client arrives, and a second run against a sound server finishes it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "download/http.h"
#include "manager_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr char kFaultyFile[] = "data/b.pak";

struct LostFileCase {
  const char* name;
  int status;               // the server's answer for kFaultyFile, 0: sound
  int64_t rangeShift;       // of that answer's Content-Range
  const char* encoding;     // of that answer
  size_t bytesOnDisk;       // of kFaultyFile before the run
  bool folderInTheWay;      // a folder where kFaultyFile should go
  const char* hostileName;  // a manifest entry besides the client, or null
  size_t serverBytes;       // the server's kFaultyFile has this many other bytes (0: as published)
  const char* box;          // a part of the one box that says why
};

class LostFileTest : public ManagerTest, public ::testing::WithParamInterface<LostFileCase> {};

TEST_P(LostFileTest, RunIsIncompleteNamesTheFileAndASecondRunCompletes) {
  const LostFileCase& c = GetParam();
  PublishClient(kFaultyFile);
  Publish("readme.txt", 1000);
  WriteManifest();
  if (c.hostileName) {
    std::string text = ReadWholeFile(temp.PathOf("work/file.json"));
    const std::string entry = std::string("{ \"Name\" : \"") + c.hostileName + "\", \"Size\" : 10 }, ";
    text.insert(text.find('{', text.find("\"FileList\"")), entry);
    text.replace(text.find("\"TotalCount\" : 4"), 16, "\"TotalCount\" : 5");
    WriteManifestText(text);
  }
  const std::string served = temp.PathOf("server/client/") + kFaultyFile;
  if (c.serverBytes) {
    ASSERT_TRUE(WriteWholeFile(served, PatternBytes(c.serverBytes, 99)));
  }
  cHttpTestServer::Fault fault;
  fault.status = c.status;
  fault.rangeShift = c.rangeShift;
  fault.contentEncoding = c.encoding;
  server.SetFault(std::string("/client/") + kFaultyFile, fault);
  fs::create_directories(temp.PathOf("download/data"));
  if (c.bytesOnDisk) {
    ASSERT_TRUE(WriteWholeFile(DownloadPath(kFaultyFile), published[kFaultyFile].substr(0, c.bytesOnDisk)));
  }
  if (c.folderInTheWay) fs::create_directories(DownloadPath(kFaultyFile));

  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Manager()->completed, 0);
  EXPECT_EQ(window.finalFigures, 1) << "the final figures are shown all the same";
  EXPECT_EQ(window.finished, 0) << "no Launch over a client with a file missing";
  EXPECT_EQ(window.incomplete, std::string("1 missing, first ") + (c.hostileName ? c.hostileName : kFaultyFile));
  ASSERT_EQ(boxes.Texts().size(), 1u) << ::testing::PrintToString(boxes.Texts());
  EXPECT_NE(boxes.Texts()[0].find(c.box), std::string::npos) << boxes.Texts()[0];
  for (const auto& [name, content] : published) {
    if (name != kFaultyFile || c.hostileName) {
      EXPECT_TRUE(ReadWholeFile(DownloadPath(name)) == content) << name;
    }
  }
  if (!c.folderInTheWay && !c.serverBytes) ExpectPartialFilesIntact();
  // Never more of a file than the manifest says, whatever the server sends.
  if (c.serverBytes) {
    EXPECT_LE(cHttp::GetLocalFileSize(DownloadPath(kFaultyFile).c_str()), 400000 + 1048576);
  }
  EXPECT_FALSE(FileExists(temp.PathOf("x.bin")));
  if (c.serverBytes) published[kFaultyFile] = ReadWholeFile(served);

  server.ClearFaults();
  if (c.folderInTheWay) fs::remove_all(DownloadPath(kFaultyFile));
  WriteManifest();
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Manager()->completed, 1);
  EXPECT_EQ(window.finished, 1);
  ExpectClientDownloaded();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LostFileTest,
    ::testing::Values(
        LostFileCase{"NotFound", 404, 0, "", 0, false, nullptr, 0, "HTTP status 404 (-6)"},
        LostFileCase{"ServerError", 500, 0, "", 0, false, nullptr, 0, "HTTP status 500 (-6)"},
        LostFileCase{"UnavailableOnAResume", 503, 0, "", 150000, false, nullptr, 0, "HTTP status 503 (-6)"},
        LostFileCase{"RangeStartingElsewhere", 0, -4096, "", 150000, false, nullptr, 0, "range error (-7)"},
        LostFileCase{"GzipBody", 0, 0, "gzip", 0, false, nullptr, 0, "content encoding error (-8)"},
        LostFileCase{"Unwritable", 0, 0, "", 0, true, nullptr, 0, "file open error (-31)"},
        LostFileCase{"HostileName", 0, 0, "", 0, false, "../x.bin", 0, "outside the download folder (-53)"},
        // The endless-data attack: more than the manifest's "Size".
        LostFileCase{"OversizedAnswer", 0, 0, "", 0, false, nullptr, 3000000, "length error (-10)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
