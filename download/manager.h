#pragma once
// cMgrDownloader: downloads every file of the manifest into the download
// folder with GetMaxConnections() lanes (download/lane.h), each taking the
// next entry in manifest order as soon as its last one ends, and keeps the
// run's totals for the user interface and the record of verified files
// (download/verified_record.h). Its host gives it the folders, tells the
// player, takes the launch target, ends the program when a transfer must,
// and names the window told the end.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/download_host.h"
#include "download/file_list.h"
#include "download/http.h"
#include "download/speed_allowance.h"
#include "download/thread.h"
#include "download/verified_record.h"

class cLane;

class cMgrDownloader : public cThread {
 public:
  // `verifyEverything`: every file is read and checked whatever the record
  // of verified files says (verify and repair).
  explicit cMgrDownloader(cDownloadHost& host, bool verifyEverything = false);
  ~cMgrDownloader() override;

  void OnExecute() override;
  // The run proper: reads the manifest and drives the lanes. False when the
  // manifest could not be read, so the run must not count as completed.
  bool DoDownloadFile();
  // A transfer found `offset` bytes of its file on disk already.
  void OnStart(int64_t offset);
  // A transfer wrote `bytes` more bytes.
  void OnReceived(int bytes);
  // The host this manager and its transfers answer to.
  cDownloadHost& Host() { return host_; }
  bool VerifiesEverything() const { return verifyEverything_; }

  // What the lanes ask, from their own threads. The next entry to fetch, in
  // manifest order; false when every entry is taken or the run is ending.
  bool TakeEntry(int* index);
  const cFileList& Files() const { return files_; }
  cVerifiedRecord& Record() { return record_; }
  // What the run's transfers may read together under the speed limit.
  cSpeedAllowance& Allowance() { return allowance_; }
  // Checks entry `index` before its transfer; false, after telling the
  // player, when it must not be fetched.
  bool AcceptEntry(int index, const ManifestEntry& entry);
  // Entry `index` ended so.
  void OnEntryEnded(int index, TransferEnd end);

  // The entries of the last run that ended without their whole file (a
  // failed or refused transfer, an entry that was never started), counted
  // once every transfer has ended; a stopped run counts none. Read them after
  // the run's thread has ended, or on that thread.
  int MissingFiles() const { return missingFiles_; }
  // The names of the first kMissingNamesKept of them, in manifest order;
  // null beyond.
  const char* MissingFile(int index) const;
  static constexpr int kMissingNamesKept = 5;

  // Written by the manager's thread before the first transfer starts, read
  // by the user interface at any time: atomics, so no reading is ever torn.
  std::atomic<int64_t> totalSize;
  // Changed only by atomic additions from the transfer threads.
  std::atomic<int64_t> progressSize;
  std::atomic<int64_t> receivedSize;
  int fileCount;
  std::atomic<uint32_t> startTick;
  std::atomic<int> completed;

 private:
  // The steps of a run. Reads "file.json" from the resource folder once it
  // verifies (download/manifest_trust.h) into the file list; false, after
  // telling the player, when it cannot be used.
  bool LoadManifest();
  // Tells the host the launch target: the last entry that names one.
  void FindLaunchTarget();
  // Starts the lanes and waits until they have all ended, the run is
  // stopped or the program is ending; writes the record now and then.
  void RunLanes();
  // Clears every lane's running flag, closes its session (which breaks off
  // a blocking call) and joins it: the stop takes as long as the slowest
  // lane, not the sum of them all.
  void StopLanes();
  // Where the record of verified files is kept: empty without a work folder.
  std::string RecordPath();
  // Writes the record of verified files, when there is a work folder.
  void WriteRecord();

  cDownloadHost& host_;
  const bool verifyEverything_;
  cFileList files_;
  cVerifiedRecord record_;
  cSpeedAllowance allowance_;
  std::unique_ptr<cLane[]> lanes_;
  int laneCount_;
  std::atomic<int> nextEntry_;
  // A transfer met a condition that ends the program: the run stops.
  std::atomic<bool> ending_;

  // Guards the missing entries the lanes report.
  std::mutex missingLock_;
  // The entries reported missing so far, and the first of them by index
  // (in manifest order) with their names.
  int missingCount_;
  std::vector<std::pair<int, std::string>> firstMissing_;
  // missingCount_ once every lane has ended (0 until then): atomic, so the
  // names are written before the count that covers them.
  std::atomic<int> missingFiles_;
};
