#include "download/manager.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "download/lane.h"
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

// The manager looks at its lanes this often: a stop, the end of the run and
// a lane that must end the program are seen within 33 ms. The lanes take
// their next entries themselves, at once.
constexpr uint32_t kPollMs = 33;
// The record of verified files is written at most this often during a run
// (and once at its end): a crash loses at most this much of it.
constexpr uint32_t kRecordIntervalMs = 2000;

// A 64-bit read-modify-write on the whole value, returning the new value.
// On 32-bit Windows this is a cmpxchg8b loop; no transfer ever waits on a lock.
int64_t AddAtomically(std::atomic<int64_t>& counter, int64_t amount) {
  int64_t seen = counter.load();
  while (!counter.compare_exchange_weak(seen, seen + amount)) {
  }
  return seen + amount;
}

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

// Why the run must not fetch an entry, if it must not.
enum class EntryFault { kNone, kBaseUrl, kUnsafeName, kDamagedDigest };

EntryFault FaultOf(const char* baseUrl, const ManifestEntry& entry) {
  if (!IsUsableBaseUrl(baseUrl)) return EntryFault::kBaseUrl;
  // A name that leaves the download folder would let the server write over
  // any file of the player's: it is neither fetched nor launched.
  if (!IsSafeRelativeName(entry.name)) return EntryFault::kUnsafeName;
  // A digest that is there but cannot be one pins nothing: the entry is
  // refused rather than taken on trust.
  if (entry.sha256 && !platform::IsSha256Text(entry.sha256)) return EntryFault::kDamagedDigest;
  return EntryFault::kNone;
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
      laneCount_(0),
      nextEntry_(0),
      ending_(false),
      missingCount_(0),
      missingFiles_(0) {}

cMgrDownloader::~cMgrDownloader() {
  Stop();
  // The run's thread stops its lanes on its way out; lanes that ran without
  // it (a thread that could not be made) are stopped here.
  StopLanes();
}

void cMgrDownloader::OnExecute() {
  completed = 0;
  missingFiles_ = 0;
  const bool ranThrough = DoDownloadFile();
  cMainWindowLink* window = host_.MainWindow();
  // A stopped run, one that could not read its manifest and one that ends
  // the program have not completed.
  if (!ranThrough || !window || !running || ending_) return;
  window->ShowFinalFigures();
  // Launch over a client with files missing would start a broken game.
  if (missingFiles_ > 0) {
    window->ShowDownloadIncomplete(missingFiles_, MissingFile(0));
    return;
  }
  completed = 1;
  window->ShowDownloadFinished();
}

const char* cMgrDownloader::MissingFile(int index) const {
  // The list is final once the count is set: every lane has ended.
  if (index < 0 || index >= missingFiles_ || static_cast<size_t>(index) >= firstMissing_.size()) return nullptr;
  return firstMissing_[static_cast<size_t>(index)].second.c_str();
}

bool cMgrDownloader::DoDownloadFile() {
  if (!LoadManifest()) return false;
  totalSize = files_.TotalSize();
  fileCount = files_.Count();
  const std::string recordPath = RecordPath();
  if (!recordPath.empty()) record_.Load(recordPath.c_str(), files_);
  FindLaunchTarget();
  platform::SetCurrentFolder(host_.DownloadFolder());
  RunLanes();
  StopLanes();
  WriteRecord();
  if (!running || ending_) return true;
  // Every lane has ended: the count and the names kept are final.
  missingFiles_ = missingCount_;
  return true;
}

bool cMgrDownloader::LoadManifest() {
  platform::SetCurrentFolder(host_.ResourceFolder());
  cJson manifest;
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
  if (files_.Read(manifest, &missing) != ManifestProblem::kNone) {
    ReportMissingMember(host_, missing);
    return false;
  }
  // The list holds what the run needs; the tree goes before any transfer.
  return true;
}

void cMgrDownloader::FindLaunchTarget() {
  int target = -1;
  for (int i = 0; i < files_.Count(); ++i) {
    const ManifestEntry entry = files_.Entry(i);
    if (entry.name && IsLaunchTarget(entry.name) && FaultOf(files_.BaseUrl(), entry) == EntryFault::kNone) target = i;
  }
  if (target < 0) return;
  const ManifestEntry entry = files_.Entry(target);
  host_.SetLaunchTarget(entry.name, entry.sha256 ? entry.sha256 : "");
}

void cMgrDownloader::RunLanes() {
  laneCount_ = cHttp::GetMaxConnections(host_);
  if (laneCount_ == 0) {
    ending_ = true;  // the host was told to end the program
    return;
  }
  lanes_ = std::make_unique<cLane[]>(static_cast<size_t>(laneCount_));
  allowance_.SetLimit(host_.SpeedLimit());
  startTick = platform::TickCount();
  for (int i = 0; i < laneCount_; ++i) {
    lanes_[i].SetOwner(this);
    lanes_[i].SetAllowance(&allowance_);
    lanes_[i].Start();
  }
  uint32_t recordWritten = platform::TickCount();
  for (;;) {
    bool busy = false;
    for (int i = 0; i < laneCount_; ++i) busy = busy || lanes_[i].running;
    if (!busy || !running || ending_) return;
    platform::SleepMs(kPollMs);
    // The player may change the limit while the run goes on.
    allowance_.SetLimit(host_.SpeedLimit());
    if (platform::TickCount() - recordWritten >= kRecordIntervalMs) {
      WriteRecord();
      recordWritten = platform::TickCount();
    }
  }
}

void cMgrDownloader::StopLanes() {
  if (!lanes_) return;
  for (int i = 0; i < laneCount_; ++i) {
    lanes_[i].running = 0;
    // The exchange makes sure the lane itself does not close it again.
    if (net::Handle session = lanes_[i].internetHandle.exchange(nullptr)) net::Close(session);
  }
  for (int i = 0; i < laneCount_; ++i) lanes_[i].Stop();
}

std::string cMgrDownloader::RecordPath() {
  const char* workFolder = host_.WorkFolder();
  return workFolder ? std::string(workFolder) + cVerifiedRecord::kFileName : std::string();
}

void cMgrDownloader::WriteRecord() {
  const std::string recordPath = RecordPath();
  if (recordPath.empty() || !record_.Changed()) return;
  record_.Write(recordPath.c_str(), files_);
}

bool cMgrDownloader::TakeEntry(int* index) {
  if (ending_) return false;
  const int taken = nextEntry_.fetch_add(1);
  if (taken >= files_.Count()) return false;
  *index = taken;
  return true;
}

bool cMgrDownloader::AcceptEntry(int index, const ManifestEntry& entry) {
  switch (FaultOf(files_.BaseUrl(), entry)) {
    case EntryFault::kNone: return true;
    case EntryFault::kBaseUrl: Warn(host_, "cMgrDownloader::DoDownloadFile :: file.json URL format error"); break;
    case EntryFault::kUnsafeName: ReportUnsafeName(host_, index, entry.name); break;
    case EntryFault::kDamagedDigest: ReportDamagedDigest(host_, index, entry.name); break;
  }
  return false;
}

void cMgrDownloader::OnEntryEnded(int index, TransferEnd end) {
  if (end == TransferEnd::kEnding) ending_ = true;
  if (end == TransferEnd::kWhole || end == TransferEnd::kStopped || end == TransferEnd::kEnding) return;
  const char* name = files_.Entry(index).name;
  if (!name) name = "(no Name)";
  char text[260];
  std::snprintf(text, sizeof text, "%.*s%s", WholeCharactersLength(name, 200), name,
                end == TransferEnd::kMismatched ? " does not match its manifest" : "");
  std::lock_guard<std::mutex> guard(missingLock_);
  ++missingCount_;
  const auto later = std::find_if(firstMissing_.begin(), firstMissing_.end(),
                                  [index](const std::pair<int, std::string>& kept) { return kept.first > index; });
  firstMissing_.emplace(later, index, text);
  if (firstMissing_.size() > static_cast<size_t>(kMissingNamesKept)) firstMissing_.pop_back();
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
