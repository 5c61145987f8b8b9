// client-fetch: downloads a published client the way the downloader does,
// without its window: the manifest from the server's base URL, then every
// file with the download manager, four transfers at a time, resuming what is
// on disk. It prints the figures the window's panel shows, computed and
// formatted as the panel does, every 333 ms. Operators use it to prove a
// publication end to end; the demo uses it to show the engine at work.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "app/folders.h"
#include "download/download_host.h"
#include "download/downloaders.h"
#include "download/main_window_link.h"
#include "download/manager.h"
#include "download/manifest_fetch.h"
#include "download/manifest_trust.h"
#include "json/json.h"
#include "platform/files.h"
#include "platform/manifest_keys.h"
#include "platform/message_box.h"
#include "platform/out_of_memory.h"
#include "platform/system.h"
#include "ui/figures.h"

namespace {

const char kUsage[] =
    "usage: client-fetch BASE-URL DOWNLOAD-FOLDER [--stop-after SECONDS] [--limit-rate BYTES-PER-SECOND]\n"
    "  Fetches BASE-URL followed by \"file.json\" (and its signature \"file.json.sig\") into the work\n"
    "  folder (BASE-URL may name several servers, ';' between them: the first that answers serves)\n"
    "  and, once the signature verifies, every file it lists\n"
    "  into DOWNLOAD-FOLDER. --stop-after stops the run after that many seconds, as Pause does;\n"
    "  a second call resumes it. --limit-rate holds all transfers together to that speed, as the\n"
    "  player's speed limit does. Exit codes: 0 complete, 1 not complete (stopped, or files missing:\n"
    "  the first few are named), 2 usage error; a fatal network condition ends it with the program's\n"
    "  own code, as the printed box says (-11: the server is unreachable, also after an https refusal).\n";

// The panel's tick.
constexpr uint32_t kFiguresPeriodMs = 333;
// How soon the end of a run is seen: a client of small files takes well under
// a second, which a whole tick would lengthen by a third.
constexpr uint32_t kEndPollMs = 10;

// Boxes become lines on stderr: nobody is there to press OK. The caption is
// the program's title, which client-fetch has none of.
int PrintBox(const char* text, unsigned) {
  std::fprintf(stderr, "[] %s\n", text);
  return platform::kIdOk;
}

// A drawn text of the figures, which are ASCII, as a narrow one.
template <int capacity>
std::string Narrow(const WideChar (&text)[capacity]) {
  std::string narrow;
  for (int i = 0; i < capacity && text[i]; ++i) narrow += static_cast<char>(text[i]);
  return narrow;
}

// The panel's and the progress bar's figures, from the manager's counters.
void PrintFigures(const cMgrDownloader& manager, const char* label) {
  const int64_t total = manager.totalSize;
  if (total == 0) return;
  const int64_t progress = manager.progressSize;
  const TransferFigures figures =
      ComputeTransferFigures(total, progress, manager.receivedSize, platform::TickCount() - manager.startTick);
  WideChar rate[kRateTextCapacity];
  WideChar received[kFigureTextCapacity];
  WideChar size[kFigureTextCapacity];
  WideChar speed[kFigureTextCapacity];
  WideChar elapsed[kFigureTextCapacity];
  WideChar remaining[kFigureTextCapacity];
  FormatRateText(figures.rate, rate);
  FormatSizeText(progress, received);
  FormatSizeText(total, size);
  FormatSpeedText(figures.bytesPerSecond * static_cast<float>(1.0 / kBytesPerMiB), speed);
  FormatTimeText(figures.elapsedSeconds, elapsed);
  FormatTimeText(figures.remainingSeconds, remaining);
  std::printf("%s %7s  %s of %s  %s  elapsed %s  remaining %s\n", label, Narrow(rate).c_str(),
              Narrow(received).c_str(), Narrow(size).c_str(), Narrow(speed).c_str(), Narrow(elapsed).c_str(),
              Narrow(remaining).c_str());
  std::fflush(stdout);
}

// The engine's host: client-fetch's own folders (in an application object
// of its own), boxes on stderr, the console for a window.
class cConsoleHost final : public cDownloadHost {
 public:
  explicit cConsoleHost(cApp& app) : app_(app) {}
  int NotifyUser(const char* text, unsigned flags) override { return PrintBox(text, flags); }
  const char* WorkFolder() override { return app_.workFolder; }
  const char* ResourceFolder() override { return app_.resourceFolder; }
  const char* DownloadFolder() override { return app_.downloadFolder; }
  cMainWindowLink* MainWindow() override { return window_; }
  void SetLaunchTarget(const char* name, const char*) override {
    if (std::strlen(name) < sizeof app_.executableName) {
      std::snprintf(app_.executableName, sizeof app_.executableName, "%s", name);
    }
  }
  // The box is printed at once; main ends with the code once the run has
  // stopped.
  void EndProgram(const char* text, int exitCode) override {
    if (ending_.exchange(true)) return;
    PrintBox(text, 0);
    endCode_ = exitCode;
  }
  int64_t SpeedLimit() override { return speedLimit_; }
  void SetSpeedLimit(int64_t bytesPerSecond) { speedLimit_ = bytesPerSecond; }
  void SetWindow(cMainWindowLink* window) { window_ = window; }
  // Whether a transfer asked the program to end, and with which code.
  bool Ending(int* exitCode) const {
    if (!ending_) return false;
    *exitCode = endCode_;
    return true;
  }

 private:
  cApp& app_;
  cMainWindowLink* window_ = nullptr;
  std::atomic<bool> ending_{false};
  std::atomic<int> endCode_{0};
  int64_t speedLimit_ = 0;
};

// Stands in for the main window at the end of a run.
class cConsoleWindow final : public cMainWindowLink {
 public:
  cConsoleWindow(const cMgrDownloader& manager, const cApp& app) : manager_(manager), app_(app) {}
  void* WindowHandle() override { return nullptr; }
  void RequestRepaint() override {}
  void ShowFinalFigures() override { PrintFigures(manager_, "final   "); }
  void ShowDownloadFinished() override {
    std::printf("complete; launch target: %s\n", app_.executableName[0] ? app_.executableName : "(none)");
  }
  // The files that did not arrive, a few by name: the boxes above say why.
  void ShowDownloadIncomplete(int missingFiles, const char*) override {
    std::printf("not complete: %d file%s missing\n", missingFiles, missingFiles == 1 ? "" : "s");
    int named = 0;
    for (const char* name; (name = manager_.MissingFile(named)) != nullptr; ++named) std::printf("  %s\n", name);
    if (missingFiles > named) std::printf("  and %d more\n", missingFiles - named);
    std::fflush(stdout);
  }
  // main sees the host's end itself.
  void CloseToEnd() override {}

 private:
  const cMgrDownloader& manager_;
  const cApp& app_;
};

// A whole decimal number from 1 to `most`; false for anything else.
bool ParseCount(const char* text, long long most, long long* value) {
  char* end = nullptr;
  *value = std::strtoll(text, &end, 10);
  return end != text && *end == 0 && *value >= 1 && *value <= most;
}

}  // namespace

int main(int argc, char** argv) {
  platform::ExitWhenOutOfMemory(PrintBox);
  long long stopAfterSeconds = 0;
  long long limitRate = 0;
  bool usable = argc >= 3 && argc % 2 == 1;
  for (int i = 3; usable && i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--stop-after") == 0) {
      usable = ParseCount(argv[i + 1], 86400, &stopAfterSeconds);
    } else if (std::strcmp(argv[i], "--limit-rate") == 0) {
      usable = ParseCount(argv[i + 1], 1LL << 40, &limitRate);
    } else {
      usable = false;
    }
  }
  if (!usable) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string baseUrl = argv[1];
  const uint32_t stopAfterMs = static_cast<uint32_t>(stopAfterSeconds) * 1000u;

  cApp app{};
  PrepareFolders(app);
  app.resourceFolder = app.workFolder;
  std::error_code error;
  // The folder's name is UTF-8, as every name of the program is.
  const std::filesystem::path folder = std::filesystem::u8path(argv[2]);
  std::filesystem::create_directories(folder, error);
  const std::string downloadFolder = std::filesystem::absolute(folder, error).u8string();
  std::snprintf(app.downloadFolder, sizeof app.downloadFolder, "%s", downloadFolder.c_str());
  cConsoleHost host(app);
  host.SetSpeedLimit(limitRate);

  platform::SetCurrentFolder(app.resourceFolder);
  {
    cResDownloader fetch(host);
    const ManifestFetch fetched =
        FetchManifest(fetch, baseUrl.c_str(), "file.json", "file.json.sig", platform::ManifestSignaturesRequired());
    int endCode = 0;
    if (host.Ending(&endCode)) return endCode;
    if (fetched != ManifestFetch::kFetched) {
      std::fprintf(stderr, "client-fetch: cannot fetch the manifest from %s\n", baseUrl.c_str());
      return 1;
    }
  }
  // The program's own check: a manifest that does not verify is not used.
  cJson fetched;
  const ManifestCheck check = CheckManifest("file.json", fetched);
  // The run reads the manifest again, as the program's does at Start: this
  // tree (some 75 MB for 100,000 files) goes first.
  fetched.Release();
  if (check.trust != ManifestTrust::kTrusted) {
    char reason[256];
    DescribeManifestCheck(check, "file.json", reason, sizeof reason);
    std::fprintf(stderr, "client-fetch: the download information could not be verified: %s\n", reason);
    platform::RemoveFile("file.json");
    platform::RemoveFile("file.json.sig");
    return 1;
  }
  std::printf("manifest: %sfile.json -> %sfile.json\ndownload folder: %s\n", baseUrl.c_str(), app.workFolder,
              app.downloadFolder);

  cMgrDownloader manager(host);
  cConsoleWindow window(manager, app);
  host.SetWindow(&window);
  manager.Start();
  const uint32_t start = platform::TickCount();
  int endCode = 0;
  uint32_t printed = start;
  while (manager.running && !host.Ending(&endCode)) {
    platform::SleepMs(kEndPollMs);
    if (platform::TickCount() - printed < kFiguresPeriodMs) continue;
    printed = platform::TickCount();
    PrintFigures(manager, "progress");
    if (stopAfterMs && printed - start >= stopAfterMs) {
      std::printf("stopping, as Pause does\n");
      break;
    }
  }
  const bool completed = manager.completed == 1;
  manager.Stop();
  host.SetWindow(nullptr);
  // A fatal condition ends client-fetch as it ends the program, once the run
  // has stopped.
  if (host.Ending(&endCode)) return endCode;
  return completed ? 0 : 1;
}
