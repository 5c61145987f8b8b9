#include "download/manager.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "download/downloaders.h"
#include "download/file_url.h"
#include "download/main_window_link.h"
#include "download/manifest.h"
#include "download/manifest_trust.h"
#include "download/transfer_log.h"
#include "json/json.h"
#include "platform/message_box.h"
#include "platform/net.h"
#include "platform/sha256.h"
#include "platform/system.h"
#include "platform/wide_text.h"

namespace {

// Every wait of the run is a sleep of this length between polls of the
// workers' running flags: a free slot is taken, and a stop seen, within
// 33 ms. It also paces the starts (one per interval at most), so a client of
// a thousand small files opens no more than about thirty connections a
// second.
constexpr uint32_t kPollMs = 33;

// A 64-bit read-modify-write on the whole value, returning the new value.
// On 32-bit Windows this is a cmpxchg8b loop; no transfer ever waits on a lock.
int64_t AddAtomically(std::atomic<int64_t>& counter, int64_t amount) {
  int64_t seen = counter.load();
  while (!counter.compare_exchange_weak(seen, seen + amount)) {
  }
  return seen + amount;
}

bool TickReached(uint32_t now, uint32_t deadline) { return static_cast<int32_t>(now - deadline) >= 0; }

void Warn(cDownloadHost& host, const char* text) { host.NotifyUser(text, platform::kMbIconWarning); }

void ReportMissingMember(cDownloadHost& host, const char* member) {
  char text[256];
  std::snprintf(text, sizeof text, "cMgrDownloader::DoDownloadFile :: file.json has no \"%s\" (-52)", member);
  Warn(host, text);
}

void ReportDamagedDigest(cDownloadHost& host, int index, const char* name) {
  char text[512];
  std::snprintf(text, sizeof text,
                "cMgrDownloader::DoDownloadFile :: file.json entry %d has a \"SHA256\" that is not a digest (-54)"
                "\n%.*s",
                index, WholeCharactersLength(name, 300), name);
  Warn(host, text);
}

void ReportUnsafeName(cDownloadHost& host, int index, const char* name) {
  char text[512];
  std::snprintf(text, sizeof text,
                "cMgrDownloader::DoDownloadFile :: file.json entry %d names a file outside the download folder"
                " (-53)\n%.*s",
                index, WholeCharactersLength(name ? name : "(no Name)", 300), name ? name : "(no Name)");
  Warn(host, text);
}

}  // namespace

cMgrDownloader::cMgrDownloader(cDownloadHost& host, bool verifyEverything)
    : cThread("cMgrDownloader"),
      totalSize(0),
      progressSize(0),
      receivedSize(0),
      fileCount(0),
      startTick(0),
      completed(0),
      host_(host),
      verifyEverything_(verifyEverything),
      missingFiles_(0) {
  for (char* name : missingNames_) name[0] = 0;
}

cMgrDownloader::~cMgrDownloader() {
  Stop();
  if (!workers) return;
  // Every transfer is told first and joined after, so that the stop takes
  // as long as the slowest transfer, not the sum of them all.
  for (int i = 0; i < fileCount; ++i) {
    // Closing the session breaks off a transfer waiting on the network; the
    // exchange makes sure the transfer itself does not close it again.
    if (net::Handle session = workers[i].internetHandle.exchange(nullptr)) net::Close(session);
    workers[i].running = 0;
  }
  for (int i = 0; i < fileCount; ++i) workers[i].Stop();
  workers.reset();
}

void cMgrDownloader::OnExecute() {
  completed = 0;
  missingFiles_ = 0;
  const bool ranThrough = DoDownloadFile();
  cMainWindowLink* window = host_.MainWindow();
  // A stopped run, or one that could not read its manifest, has not completed.
  if (!ranThrough || !window || !running) return;
  window->ShowFinalFigures();
  // Launch over a client with files missing would start a broken game.
  if (missingFiles_ > 0) {
    window->ShowDownloadIncomplete(missingFiles_, missingNames_[0]);
    return;
  }
  completed = 1;
  window->ShowDownloadFinished();
}

const char* cMgrDownloader::MissingFile(int index) const {
  if (index < 0 || index >= kMissingNamesKept || index >= missingFiles_) return nullptr;
  return missingNames_[index];
}

void cMgrDownloader::CountMissingFiles(const ManifestSummary& summary) {
  int missing = 0;
  for (int i = 0; i < fileCount; ++i) {
    if (workers[i].IsWhole()) continue;
    if (missing < kMissingNamesKept) {
      const char* name = ReadManifestEntry(summary, i).name;
      if (!name) name = "(no Name)";
      std::snprintf(missingNames_[missing], sizeof missingNames_[0], "%.*s%s", WholeCharactersLength(name, 200), name,
                    workers[i].IsMismatched() ? " does not match its manifest" : "");
    }
    missingFiles_ = ++missing;
  }
}

bool cMgrDownloader::DoDownloadFile() {
  cJson manifest;
  ManifestSummary summary;
  if (!LoadManifest(manifest, &summary)) return false;
  totalSize = summary.totalSize;
  fileCount = summary.fileCount;

  workers = std::make_unique<cFileDownloader[]>(fileCount > 0 ? fileCount : 0);
  for (int i = 0; i < fileCount; ++i) workers[i].SetOwner(this);
  platform::SetCurrentFolder(host_.DownloadFolder());
  StartEntries(summary);
  AwaitTransfers();
  if (running) CountMissingFiles(summary);
  manifest.Release();
  return true;
}

bool cMgrDownloader::LoadManifest(cJson& manifest, ManifestSummary* summary) {
  platform::SetCurrentFolder(host_.ResourceFolder());
  // Checked again here: the copy in the work folder may have changed since
  // the program read it at start. The run reads the bytes that verified.
  const ManifestCheck check = CheckManifest("file.json", manifest);
  if (check.trust != ManifestTrust::kTrusted && check.trust != ManifestTrust::kUnreadable) {
    char reason[256];
    char text[384];
    DescribeManifestCheck(check, "file.json", reason, sizeof reason);
    std::snprintf(text, sizeof text,
                  "cMgrDownloader::DoDownloadFile :: the download information could not be verified: %s (-55)", reason);
    Warn(host_, text);
    return false;
  }
  if (!check.isObject) {
    Warn(host_, "cMgrDownloader::DoDownloadFile :: file.json loading error (-51)");
    return false;
  }
  const char* missing = nullptr;
  if (ReadManifestSummary(manifest, summary, &missing) != ManifestProblem::kNone) {
    ReportMissingMember(host_, missing);
    return false;
  }
  return true;
}

void cMgrDownloader::StartEntries(const ManifestSummary& summary) {
  // Which entry each slot's transfer runs; -1 for a free slot.
  std::vector<int> slots(static_cast<size_t>(cHttp::GetMaxConnections(host_)), -1);
  startTick = platform::TickCount();
  bool slotSeenFree = false;
  uint32_t deadline = 0;
  for (int i = 0; i < fileCount && running; ++i) {
    StartEntry(summary, i);

    for (int& slot : slots) {
      if (slot == -1) {
        slot = i;
        slotSeenFree = false;
        deadline = platform::TickCount() + kPollMs;
        break;
      }
    }
    // The next entry starts once a slot has been seen free and at least one
    // poll interval has passed since this start.
    while (running) {
      if (slotSeenFree && TickReached(platform::TickCount(), deadline)) break;
      for (int& slot : slots) {
        if (slot == -1 || !workers[slot].running) {
          slot = -1;
          slotSeenFree = true;
          break;
        }
      }
      platform::SleepMs(kPollMs);
    }
  }
}

void cMgrDownloader::AwaitTransfers() {
  // Start over from the first worker whenever one is still busy.
  for (int i = 0; running && i < fileCount;) {
    if (workers[i].running) {
      platform::SleepMs(kPollMs);
      i = 0;
    } else {
      ++i;
    }
  }
}

void cMgrDownloader::StartEntry(const ManifestSummary& summary, int index) {
  if (!IsUsableBaseUrl(summary.baseUrl)) {
    Warn(host_, "cMgrDownloader::DoDownloadFile :: file.json URL format error");
    return;
  }
  const ManifestEntry entry = ReadManifestEntry(summary, index);
  // A name that leaves the download folder would let the server write over
  // any file of the player's: it is neither fetched nor launched.
  if (!IsSafeRelativeName(entry.name)) {
    ReportUnsafeName(host_, index, entry.name);
    return;
  }
  // A digest that is there but cannot be one pins nothing: the entry is
  // refused rather than taken on trust.
  if (entry.sha256 && !platform::IsSha256Text(entry.sha256)) {
    ReportDamagedDigest(host_, index, entry.name);
    return;
  }
  // Encoded, the name reaches any server; a URL that does not fit is refused
  // by the transfer, which names the entry.
  char fileUrl[2048];
  MakeFileUrl(summary.baseUrl, entry.name, fileUrl, sizeof fileUrl);
  if (IsLaunchTarget(entry.name)) host_.SetLaunchTarget(entry.name, entry.sha256 ? entry.sha256 : "");
  workers[index].DownloadFile(fileUrl, entry.name, entry.sha256);
}

void cMgrDownloader::OnStart(int64_t offset) {
  if (offset == 0) return;
  char line[222];
  std::snprintf(line, sizeof line, "cMgrDownloader::OnStart %" PRId64, offset);
  AppendTransferLog(host_.WorkFolder(), __DATE__ " " __TIME__, line);
  AddAtomically(progressSize, offset);
}

void cMgrDownloader::OnReceived(int bytes) {
  if (totalSize <= 0) return;
  AddAtomically(receivedSize, static_cast<int64_t>(bytes));
  if (AddAtomically(progressSize, static_cast<int64_t>(bytes)) > totalSize) {
    Warn(host_, "cMgrDownloader::OnReceived size error");
  }
}
