#pragma once
// What the download manager's tests share: a host with a work folder (where
// "file.json" and the transfer log go) and a download folder in the test's
// temporary folder, a client published by our fault-injecting server with a
// manifest written by manifest-tool, boxes that are answered and recorded,
// and a main window stand-in that records the end of a run.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "download/main_window_link.h"
#include "download/manager.h"
#include "tests/download/test_host.h"
#include "tests/support/http_test_server.h"
#include "tests/support/message_boxes.h"
#include "tests/support/temp_folder.h"

// Records what the manager asks of the main window, and the manager's state
// at that moment.
class cRecordingWindow : public cMainWindowLink {
 public:
  void* WindowHandle() override { return nullptr; }
  void RequestRepaint() override {}
  void ShowFinalFigures() override;
  void ShowDownloadFinished() override;
  void ShowDownloadIncomplete(int missingFiles, const char* firstMissing) override;
  void CloseToEnd() override {}

  // The run it stands in for; set while one exists.
  std::atomic<cMgrDownloader*> manager{nullptr};
  std::atomic<int> finalFigures{0};
  std::atomic<int> finished{0};
  // "N missing, first NAME"; read it once the run has ended.
  std::string incomplete;
  std::atomic<bool> runningAtFinalFigures{false};
  std::atomic<int> completedAtFinalFigures{-1};
  std::atomic<int> completedAtFinished{-1};
};

class ManagerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Puts a file of `size` pattern bytes into the published client.
  void Publish(const std::string& name, size_t size);
  // The small client most tests fetch: "bin/game.exe" (20,000 bytes),
  // "data/a.pak" (300,000) and `third` (400,000), the one a test has at.
  void PublishClient(const char* third);
  // Writes "file.json" for the published client with manifest-tool, signed
  // by the development key; `url` defaults to where the server publishes it.
  void WriteManifest(const std::string& url = "", const std::vector<std::string>& mirrors = {});
  // Writes a hand-made "file.json", signed by the development key.
  void WriteManifestText(const std::string& text);
  std::string BaseUrl() const { return server.Url("/client/"); }

  // Stops a run there may be, then creates a new one and starts it, as the
  // Start button does (`verifyEverything`: as Verify and repair does).
  void StartRun(bool verifyEverything = false);
  // Waits (at most two minutes) until the run's thread has ended by itself.
  bool WaitForRunEnd();
  // Stops and deletes the run, as Pause does.
  void StopRun();
  cMgrDownloader* Manager() const { return manager_.get(); }

  std::string DownloadPath(const std::string& name) const;
  // Every published file is in the download folder, byte for byte.
  void ExpectClientDownloaded() const;
  // Every published file on disk is no longer than the original and equal to
  // its beginning: a resume can finish it.
  void ExpectPartialFilesIntact() const;
  std::string LogText() const;

  cTempFolder temp;
  cHttpTestServer server;
  cMessageBoxes boxes;
  cRecordingWindow window;
  cTestHost host;
  std::map<std::string, std::string> published;  // name -> content

 private:
  std::unique_ptr<cMgrDownloader> manager_;
};
