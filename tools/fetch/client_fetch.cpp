// client-fetch: downloads a published client the way the downloader does,
// without its window: the manifest from the server's base URL, then every
// file with the download manager, four transfers at a time, resuming what is
// on disk. It prints the figures the window's panel shows, every 333 ms.
// Operators use it to prove a publication end to end; the demo uses it to
// show the engine at work.

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "app/download_control.h"
#include "app/folders.h"
#include "app/main_window_link.h"
#include "download/downloaders.h"
#include "download/manager.h"
#include "platform/message_box.h"
#include "platform/system.h"

namespace {

const char kUsage[] =
    "usage: client-fetch BASE-URL DOWNLOAD-FOLDER [--stop-after SECONDS]\n"
    "  Fetches BASE-URL followed by \"file.json\" into the work folder, then every file it lists\n"
    "  into DOWNLOAD-FOLDER. --stop-after stops the run after that many seconds, as Pause does;\n"
    "  a second call resumes it. Exit codes: 0 complete, 1 not complete (stopped, or files missing:\n"
    "  the first few are named), 2 usage error.\n";

constexpr double kMiB = 1048576.0;

// Boxes become lines on stderr: nobody is there to press OK.
int PrintBox(const char* text, const char* caption, unsigned) {
  std::fprintf(stderr, "[%s] %s\n", caption, text);
  return platform::kIdOk;
}

// The panel's figures, from the manager's counters.
void PrintFigures(const cMgrDownloader& manager, const char* label) {
  const int64_t total = manager.totalSize;
  if (total == 0) return;
  const int64_t progress = manager.progressSize;
  const uint32_t seconds = (platform::TickCount() - manager.startTick) / 1000;
  const float speed = seconds ? static_cast<float>(static_cast<double>(manager.receivedSize)) / seconds : 0.0f;
  const float rate = static_cast<float>(progress * 100.0 / total);
  std::printf("%s %6.2f%%  %10.1f of %.1f MBytes  %8.3f MiB/Sec  elapsed %02u:%02u:%02u\n", label, rate,
              progress / kMiB, total / kMiB, speed / kMiB, seconds / 3600, (seconds / 60) % 60, seconds % 60);
  std::fflush(stdout);
}

// Stands in for the main window at the end of a run.
class cConsoleWindow : public cMainWindowLink {
 public:
  void* WindowHandle() override { return nullptr; }
  void RequestRepaint() override {}
  void ShowFinalFigures() override { PrintFigures(*theApp->downloadManager, "final   "); }
  void ShowDownloadFinished() override {
    std::printf("complete; launch target: %s\n", theApp->executableName[0] ? theApp->executableName : "(none)");
  }
  // The files that did not arrive, a few by name: the boxes above say why.
  void ShowDownloadIncomplete(int missingFiles, const char*) override {
    const cMgrDownloader& manager = *theApp->downloadManager;
    std::printf("not complete: %d file%s missing\n", missingFiles, missingFiles == 1 ? "" : "s");
    int named = 0;
    for (const char* name; (name = manager.MissingFile(named)) != nullptr; ++named) std::printf("  %s\n", name);
    if (missingFiles > named) std::printf("  and %d more\n", missingFiles - named);
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--stop-after") == 0)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string baseUrl = argv[1];
  const uint32_t stopAfterMs = argc == 5 ? static_cast<uint32_t>(std::atoi(argv[4])) * 1000u : 0;
  platform::SetMessageBoxHandler(PrintBox);

  theApp = new cApp{};
  PrepareFolders(*theApp);
  theApp->resourceFolder = theApp->workFolder;
  std::error_code error;
  std::filesystem::create_directories(argv[2], error);
  const std::string downloadFolder = std::filesystem::absolute(argv[2], error).string();
  std::snprintf(theApp->downloadFolder, sizeof theApp->downloadFolder, "%s", downloadFolder.c_str());
  std::snprintf(theApp->serverBaseUrl, sizeof theApp->serverBaseUrl, "%s", baseUrl.c_str());

  platform::SetCurrentFolder(theApp->resourceFolder);
  const std::string manifestUrl = baseUrl + "file.json";
  {
    cResDownloader fetch;
    if (fetch.DownloadResource(manifestUrl.c_str(), "file.json") == 0) {
      std::fprintf(stderr, "client-fetch: cannot fetch %s\n", manifestUrl.c_str());
      return 1;
    }
  }
  std::printf("manifest: %s -> %sfile.json\ndownload folder: %s\n", manifestUrl.c_str(), theApp->workFolder,
              theApp->downloadFolder);

  cConsoleWindow window;
  SetMainWindowLink(&window);
  StartDownloadManager();
  const uint32_t start = platform::TickCount();
  while (theApp->downloadManager->running) {
    platform::SleepMs(333);
    PrintFigures(*theApp->downloadManager, "progress");
    if (stopAfterMs && platform::TickCount() - start >= stopAfterMs) {
      std::printf("stopping, as Pause does\n");
      break;
    }
  }
  const bool completed = theApp->downloadManager->completed == 1;
  StopDownloadManager();
  SetMainWindowLink(nullptr);
  delete theApp;
  theApp = nullptr;
  return completed ? 0 : 1;
}
