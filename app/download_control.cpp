#include "app/download_control.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "download/download_host.h"
#include "download/manager.h"
#include "platform/message_box.h"

namespace {

class cAppDownloadHost final : public cDownloadHost {
 public:
  int NotifyUser(const char* text, unsigned flags) override { return ::NotifyUser(text, flags); }
  const char* WorkFolder() override { return theApp->workFolder; }
  const char* ResourceFolder() override { return theApp->resourceFolder; }
  const char* DownloadFolder() override { return theApp->downloadFolder; }
  cMainWindowLink* MainWindow() override { return MainWindowLink(); }
  void SetLaunchTarget(const char* name, const char* sha256) override {
    // A name too long for the field would launch a different file: keep the
    // previous target then. Launch checks the target against its digest.
    if (std::strlen(name) >= sizeof theApp->executableName) return;
    std::snprintf(theApp->executableName, sizeof theApp->executableName, "%s", name);
    std::snprintf(theApp->executableSha256, sizeof theApp->executableSha256, "%s", sha256);
  }
  void EndProgram(const char* text, int exitCode) override {
    // Several transfers may meet the end at once: the player is told once.
    if (ending_.exchange(true)) return;
    ::NotifyUser(text, platform::kMbIconWarning);
    RequestProgramEnd(exitCode);
  }
  int64_t SpeedLimit() override { return theApp->speedLimit.load(); }

 private:
  std::atomic<bool> ending_{false};
};

}  // namespace

cDownloadHost& AppDownloadHost() {
  static cAppDownloadHost host;
  return host;
}

void StopDownloadManager() {
  if (!theApp->downloadManager) return;
  // The manager may be sending the main window its final refresh at this
  // very moment; a plain wait would leave both threads waiting for each other.
  theApp->downloadManager->StopServingSentMessages();
  theApp->downloadManager.reset();
}

void StartDownloadManager(bool verifyEverything) {
  StopDownloadManager();
  theApp->downloadManager.reset(new cMgrDownloader(AppDownloadHost(), verifyEverything));
  theApp->downloadManager->Start();
}
