#pragma once
// The download engine's host in its tests, in place of the application: the
// folders are the test's, the boxes go through the platform's boxes (which
// tests/support/message_boxes.h records) with a caption of the test's, the
// window is whichever stand-in the test names, and the launch target and an
// end of the program the engine asked for are kept for the test to read.

#include <atomic>
#include <string>

#include "download/download_host.h"
#include "platform/message_box.h"

class cTestHost final : public cDownloadHost {
 public:
  int NotifyUser(const char* text, unsigned flags) override {
    return platform::ShowMessageBox(nullptr, text, caption.c_str(), flags);
  }
  const char* WorkFolder() override { return workFolder.c_str(); }
  const char* ResourceFolder() override { return resourceFolder.c_str(); }
  const char* DownloadFolder() override { return downloadFolder.c_str(); }
  cMainWindowLink* MainWindow() override { return window.load(); }
  void SetLaunchTarget(const char* name, const char* sha256) override {
    launchTarget = name;
    launchTargetSha256 = sha256;
  }
  int64_t SpeedLimit() override { return speedLimit; }
  // Only the first is told, as the program's own host does.
  void EndProgram(const char* text, int exitCode) override {
    if (ending.exchange(true)) return;
    NotifyUser(text, platform::kMbIconWarning);
    endCode = exitCode;
  }

  std::string caption = "downloader test";
  std::string workFolder;
  std::string resourceFolder;
  std::string downloadFolder;
  std::atomic<cMainWindowLink*> window{nullptr};
  // Written on the manager's thread; read them after the run.
  std::string launchTarget;
  std::string launchTargetSha256;
  // The exit code the engine asked the program to end with, once its box
  // was answered; 0: none.
  std::atomic<bool> ending{false};
  std::atomic<int> endCode{0};
  std::atomic<int64_t> speedLimit{0};
};
