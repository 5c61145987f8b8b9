#include "manager_fixture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/system.h"
#include "tests/support/dev_key_signing.h"
#include "tools/manifest/writer.h"

namespace fs = std::filesystem;

void cRecordingWindow::ShowFinalFigures() {
  cMgrDownloader* run = manager;
  runningAtFinalFigures = run && run->running;
  completedAtFinalFigures = run ? run->completed.load() : -1;
  ++finalFigures;
}

void cRecordingWindow::ShowDownloadFinished() {
  cMgrDownloader* run = manager;
  completedAtFinished = run ? run->completed.load() : -1;
  ++finished;
}

void cRecordingWindow::ShowDownloadIncomplete(int missingFiles, const char* firstMissing) {
  incomplete = std::to_string(missingFiles) + " missing, first " + firstMissing;
}

void ManagerTest::SetUp() {
  fs::create_directories(temp.PathOf("work"));
  fs::create_directories(temp.PathOf("download"));
  fs::create_directories(temp.PathOf("server/client"));
  host.workFolder = temp.PathOf("work\\");
  host.resourceFolder = host.workFolder;
  host.downloadFolder = temp.PathOf("download\\");
  host.window = &window;
  ASSERT_TRUE(server.Start());
  server.ServeFolder(temp.PathOf("server"));
}

void ManagerTest::TearDown() {
  StopRun();
  host.window = nullptr;
  server.Stop();
  // Back to the test's folder, which the manager left for the download folder.
  platform::SetCurrentFolder(temp.Path().c_str());
}

void ManagerTest::Publish(const std::string& name, size_t size) {
  const std::string content = PatternBytes(size, static_cast<unsigned>(published.size() + 7));
  const fs::path path = fs::path(temp.PathOf("server/client")) / fs::path(name);
  fs::create_directories(path.parent_path());
  ASSERT_TRUE(WriteWholeFile(path.string(), content));
  published[name] = content;
}

void ManagerTest::PublishClient(const char* third) {
  Publish("bin/game.exe", 20000);
  Publish("data/a.pak", 300000);
  Publish(third, 400000);
}

void ManagerTest::WriteManifest(const std::string& url, const std::vector<std::string>& mirrors) {
  manifest_tool::WriteRequest request{temp.PathOf("server/client"), url.empty() ? BaseUrl() : url,
                                      temp.PathOf("work/file.json"), true, 1, ""};
  request.mirrors = mirrors;
  const manifest_tool::WriteOutcome outcome = manifest_tool::WriteManifest(request);
  ASSERT_TRUE(outcome.written) << ::testing::PrintToString(outcome.refusals);
  ASSERT_TRUE(SignWithDevKey(temp.PathOf("work/file.json")));
}

void ManagerTest::WriteManifestText(const std::string& text) {
  ASSERT_TRUE(WriteWholeFile(temp.PathOf("work/file.json"), text));
  ASSERT_TRUE(SignWithDevKey(temp.PathOf("work/file.json")));
}

void ManagerTest::StartRun(bool verifyEverything) {
  StopRun();
  manager_ = std::make_unique<cMgrDownloader>(host, verifyEverything);
  window.manager = manager_.get();
  manager_->Start();
}

bool ManagerTest::WaitForRunEnd() {
  const uint32_t start = platform::TickCount();
  while (Manager() && Manager()->running) {
    if (platform::TickCount() - start > 120000) return false;
    platform::SleepMs(5);
  }
  return true;
}

void ManagerTest::StopRun() {
  if (!manager_) return;
  // The window stand-in of a test may be sending a message to this thread.
  manager_->StopServingSentMessages();
  manager_.reset();
  window.manager = nullptr;
}

std::string ManagerTest::DownloadPath(const std::string& name) const { return temp.PathOf("download/" + name); }

void ManagerTest::ExpectClientDownloaded() const {
  for (const auto& [name, content] : published) {
    const std::string onDisk = ReadWholeFile(DownloadPath(name));
    EXPECT_EQ(onDisk.size(), content.size()) << name;
    EXPECT_TRUE(onDisk == content) << name << " differs from the published file";
  }
}

void ManagerTest::ExpectPartialFilesIntact() const {
  for (const auto& [name, content] : published) {
    if (!FileExists(DownloadPath(name))) continue;
    const std::string onDisk = ReadWholeFile(DownloadPath(name));
    EXPECT_LE(onDisk.size(), content.size()) << name;
    EXPECT_TRUE(content.compare(0, onDisk.size(), onDisk) == 0) << name << " holds bytes that are not the file's";
  }
}

std::string ManagerTest::LogText() const {
  // Written in text mode: Windows ends its lines with CR LF.
  std::string text = ReadWholeFile(temp.PathOf("work/qzloader.log"));
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}
