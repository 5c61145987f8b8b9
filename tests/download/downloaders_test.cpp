// cFileDownloader and cResDownloader: their names on the wire, and the file
// downloader's hooks reaching the download manager that owns it (its
// counters and its "cMgrDownloader::OnStart" log lines).

#include "download/downloaders.h"

#include <algorithm>
#include <regex>

#include "download/manager.h"
#include "tests/download/http_fixture.h"

namespace {

using DownloadersTest = HttpFixture;

std::vector<std::string> OnStartLines(const std::string& log) {
  std::vector<std::string> values;
  const std::regex line("[A-Z][a-z]{2} [ 123][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} cMgrDownloader::OnStart ([0-9]+)\r?\n");
  for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it) {
    values.push_back((*it)[1]);
  }
  return values;
}

// Four files already (partly or wholly) on disk and one that is not: four
// log lines with the local sizes, and counters that add up.
TEST_F(DownloadersTest, ResumedFilesAreLoggedAndCountedByTheManager) {
  struct File {
    std::string name;
    int64_t size;
    int64_t local;  // -1: absent
  };
  const std::vector<File> files = {
      {"a.pak", 1500000, 1000}, {"b.pak", 800000, 400000}, {"c.pak", 2100000, 2099999},
      {"d.pak", 300000, 300000}, {"e.pak", 700000, -1}};
  int64_t total = 0, local = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string content = PatternBytes(static_cast<size_t>(files[i].size), static_cast<unsigned>(i + 1));
    server_.AddFile("/client/" + files[i].name, content);
    if (files[i].local >= 0) {
      ASSERT_TRUE(WriteWholeFile(files[i].name, content.substr(0, files[i].local)));
    }
    total += files[i].size;
    local += std::max<int64_t>(files[i].local, 0);
  }
  cMgrDownloader manager(host_);
  manager.totalSize = total;

  std::vector<cFileDownloader> workers(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    workers[i].SetOwner(&manager);
    workers[i].DownloadFile(server_.Url("/client/" + files[i].name).c_str(), files[i].name.c_str());
  }
  for (cFileDownloader& worker : workers) ASSERT_TRUE(WaitUntilEnded(worker));

  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_TRUE(SameBytes(ReadWholeFile(files[i].name),
                          PatternBytes(static_cast<size_t>(files[i].size), static_cast<unsigned>(i + 1))))
        << files[i].name;
  }
  std::vector<std::string> logged = OnStartLines(LogText());
  std::sort(logged.begin(), logged.end());
  EXPECT_EQ(logged, (std::vector<std::string>{"1000", "2099999", "300000", "400000"})) << LogText();
  EXPECT_EQ(manager.progressSize, total);
  EXPECT_EQ(manager.receivedSize, total - local);
  EXPECT_TRUE(boxes_.Texts().empty());
  for (const auto& request : server_.Requests()) EXPECT_EQ(request.Header("User-Agent"), "cFileDownloader");
}

// The file downloader's agent is seen on the wire above.
TEST_F(DownloadersTest, ADocumentFetchCarriesItsAgentString) {
  cResDownloader resource(host_);
  server_.AddFile("/file.json", "{}");
  EXPECT_EQ(resource.DownloadResource(server_.Url("/file.json").c_str(), "file.json"), 2);
  EXPECT_EQ(server_.Requests().back().Header("User-Agent"), "cResDownloader");
}

}  // namespace
