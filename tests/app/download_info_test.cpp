// The download information at start: which manifest is kept, that
// "fileT.json" never stays behind, and what a failed fetch leaves.

#include "app/download_info.h"

#include <string>

#include "download/manifest_trust.h"
#include "download/work_left.h"
#include "json/json.h"
#include "tests/app/app_fixture.h"
#include "tests/support/dev_key_signing.h"
#include "tests/support/http_test_server.h"
#include "ui/figures.h"

namespace {

class DownloadInfoTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(server.Start());
  }
  void TearDown() override {
    server.Stop();
    AppTest::TearDown();
  }
  cHttpTestServer server;
};

std::string Manifest(const std::string& version, const std::string& totalSize) {
  std::string text = "{";
  if (!version.empty()) text += "\"Version\": " + version + ", ";
  if (!totalSize.empty()) text += "\"TotalSize\": " + totalSize + ", ";
  return text + "\"TotalCount\": 0, \"URL\": \"http://127.0.0.1/\"}";
}

// Each copy, local and served, with its signature: by the development key
// (signed), or one made for other bytes (forged).
enum Signature { kSigned, kForged };

void WriteSigned(const std::string& path, const std::string& text, Signature signature) {
  ASSERT_TRUE(WriteWholeFile(path, text));
  ASSERT_TRUE(WriteWholeFile(path + ".sig", DevKeySignature(signature == kSigned ? text : text + " ")));
}

TEST_F(DownloadInfoTest, KeepsTheNewerVerifiedManifestAndNeverLeavesTheFetchedCopy) {
  struct Case {
    const char* what;
    std::string local;   // "" : no local file.json
    std::string served;  // what the server has
    bool replaced;       // file.json holds the served text afterwards
    bool sizeKnown;
    int64_t totalSize;
    Signature localSignature = kSigned;
    Signature servedSignature = kSigned;
  } cases[] = {
      {"first run", "", Manifest("6", "1000"), true, true, 1000},
      {"local 5, server 6", Manifest("5", "500"), Manifest("6", "600"), true, true, 600},
      {"local 6, server 6", Manifest("6", "500"), Manifest("6", "600"), false, true, 500},
      {"local 6, server 5", Manifest("6", "500"), Manifest("5", "600"), false, true, 500},
      {"server copy not JSON", Manifest("5", "500"), "<html>busy</html>", false, true, 500},
      {"server copy without Version", Manifest("5", "500"), Manifest("", "600"), false, true, 500},
      {"local copy without Version", Manifest("", "500"), Manifest("1", "600"), true, true, 600},
      {"local copy not JSON", "garbage", Manifest("1", "600"), true, true, 600},
      {"no TotalSize", "", Manifest("3", ""), true, false, 0},
      {"a total of 0", "", Manifest("3", "0"), true, true, 0},
      {"server copy 6 forged", Manifest("5", "500"), Manifest("6", "600"), false, true, 500, kSigned, kForged},
      {"local copy 6 forged", Manifest("6", "500"), Manifest("5", "600"), true, true, 600, kForged, kSigned},
  };
  const std::string url = server.Url("/json/");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove("file.json");
    if (!c.local.empty()) WriteSigned("file.json", c.local, c.localSignature);
    server.AddFile("/json/file.json", c.served);
    server.AddFile("/json/file.json.sig", DevKeySignature(c.servedSignature == kSigned ? c.served : "forged"));
    DownloadInfo info{true, -1};
    ASSERT_EQ(LoadDownloadManifest(url.c_str(), &info), ManifestLoad::kLoaded);
    EXPECT_EQ(ReadWholeFile("file.json"), c.replaced ? c.served : c.local);
    cJson inForce;
    EXPECT_EQ(CheckManifest("file.json", inForce).trust, ManifestTrust::kTrusted)
        << "the signature stays beside its manifest";
    EXPECT_FALSE(FileExists("fileT.json"));
    EXPECT_FALSE(FileExists("fileT.json.sig"));
    EXPECT_EQ(info.sizeKnown, c.sizeKnown);
    EXPECT_EQ(info.totalSize, c.totalSize);
    EXPECT_EQ(std::string(info.refusal),
              c.servedSignature == kForged ? "file.json does not match its signature file.json.sig" : "");
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadInfoTest, WithoutAVerifiedManifestNothingIsUsedAndTheLocalCopyStays) {
  const std::string url = server.Url("/json/");
  server.AddFile("/json/file.json", Manifest("7", "700"));
  server.AddFile("/json/file.json.sig", DevKeySignature("forged"));
  for (const std::string& local : {Manifest("6", "600"), std::string()}) {
    std::filesystem::remove("file.json");
    std::filesystem::remove("file.json.sig");
    if (!local.empty()) WriteSigned("file.json", local, kForged);
    DownloadInfo info;
    EXPECT_EQ(LoadDownloadManifest(url.c_str(), &info), ManifestLoad::kUnverified);
    EXPECT_EQ(std::string(info.refusal), "file.json does not match its signature file.json.sig");
    EXPECT_EQ(FileExists("file.json") ? ReadWholeFile("file.json") : "", local) << "nothing deleted or moved";
    EXPECT_EQ(FileExists("file.json.sig"), !local.empty());
    EXPECT_FALSE(FileExists("fileT.json"));
    EXPECT_FALSE(FileExists("fileT.json.sig"));
  }
}

// Start weighs a folder's free space against what is still to come: each
// listed file's size less what of it is there, never below zero. A folder
// with room for that but not for the whole client may take the download.
TEST_F(DownloadInfoTest, TheFilesInForceWeighWhatAFolderStillNeeds) {
  const std::string manifest =
      "{\"Version\": 1, \"TotalCount\": 6, \"TotalSize\": 4800, \"URL\": \"http://127.0.0.1/\", \"FileList\": ["
      "{\"Name\": \"absent.pak\", \"Size\": 1000}, {\"Name\": \"data/half.pak\", \"Size\": 2000},"
      "{\"Name\": \"whole.pak\", \"Size\": 500}, {\"Name\": \"longer.pak\", \"Size\": 300},"
      "{\"Name\": \"../outside.pak\", \"Size\": 700}, {\"Name\": \"unsized.pak\"}]}";
  server.AddFile("/json/file.json", manifest);
  server.AddFile("/json/file.json.sig", DevKeySignature(manifest));
  DownloadInfo info;
  // The built-in base URL may name several servers: the first that answers
  // serves the manifest (the first here is down).
  cHttpTestServer down;
  ASSERT_TRUE(down.Start());
  const std::string servers = down.Url("/json/") + ";" + server.Url("/json/");
  down.Stop();
  ASSERT_EQ(LoadDownloadManifest(servers.c_str(), &info), ManifestLoad::kLoaded);
  std::filesystem::create_directories(NativePath(PathIn("client\\data")));
  for (const auto& [name, size] : {std::pair<const char*, size_t>{"client\\data\\half.pak", 1500},
                                   {"client\\whole.pak", 500}, {"client\\longer.pak", 400},
                                   {"client\\unsized.pak", 10}}) {
    ASSERT_TRUE(WriteWholeFile(NativePath(PathIn(name)).string(), std::string(size, 'x')));
  }
  // 1000 absent + 500 of half.pak; the rest has all it needs, or is never fetched.
  EXPECT_EQ(BytesStillToCome(info.files, PathIn("client").c_str()), 1500);
  EXPECT_EQ(BytesStillToCome(info.files, PathIn("empty").c_str()), 3800);
  EXPECT_TRUE(EnoughSpace(1501, BytesStillToCome(info.files, PathIn("client").c_str())));
  EXPECT_FALSE(EnoughSpace(1501, info.totalSize)) << "the whole client would not fit";
}

TEST_F(DownloadInfoTest, AFailedFetchChangesNothing) {
  cHttpTestServer::Fault missing;
  missing.status = 404;
  server.SetFault("/json/file.json", missing);
  const std::string url = server.Url("/json/");
  for (const std::string& local : {Manifest("5", "500"), std::string()}) {
    std::filesystem::remove("file.json");
    if (!local.empty()) {
      ASSERT_TRUE(WriteWholeFile("file.json", local));
    }
    DownloadInfo info;
    EXPECT_EQ(LoadDownloadManifest(url.c_str(), &info), ManifestLoad::kNetworkError);
    EXPECT_EQ(FileExists("file.json") ? ReadWholeFile("file.json") : "", local);
    EXPECT_FALSE(FileExists("fileT.json"));
  }
}

}  // namespace
