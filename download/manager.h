#pragma once
// cMgrDownloader: downloads every file of the manifest into the download
// folder, with at most GetMaxConnections() transfers at once, and keeps the
// run's totals for the user interface. Its host gives it the folders, tells
// the player, takes the launch target and names the window told the end.

#include <atomic>
#include <cstdint>
#include <memory>

#include "download/download_host.h"
#include "download/downloaders.h"
#include "download/thread.h"

class cJson;
struct ManifestSummary;

class cMgrDownloader : public cThread {
 public:
  // `verifyEverything`: the player asked to verify and repair, so every
  // file is read and checked whatever the record of verified files says.
  explicit cMgrDownloader(cDownloadHost& host, bool verifyEverything = false);
  ~cMgrDownloader() override;

  void OnExecute() override;
  // The run proper: reads the manifest and drives the transfers. False when
  // the manifest could not be read, so the run must not count as completed.
  bool DoDownloadFile();
  // A transfer found `offset` bytes of its file on disk already.
  void OnStart(int64_t offset);
  // A transfer wrote `bytes` more bytes.
  void OnReceived(int bytes);
  // The host this manager and its transfers answer to.
  cDownloadHost& Host() { return host_; }
  // Whether this run verifies every file (see the constructor).
  bool VerifiesEverything() const { return verifyEverything_; }

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
  // One per entry, in manifest order; made when the run has read the
  // manifest.
  std::unique_ptr<cFileDownloader[]> workers;

 private:
  // The steps of a run. Loads "file.json" from the resource folder once it
  // verifies (download/manifest_trust.h) and reads its summary; false, after
  // telling the player, when it cannot be used.
  bool LoadManifest(cJson& manifest, ManifestSummary* summary);
  // Starts the entries in manifest order, at most one slot's worth at a
  // time, until every one has been started or the run is stopped.
  void StartEntries(const ManifestSummary& summary);
  // Waits until every transfer has ended, or the run is stopped.
  void AwaitTransfers();
  // Checks entry `index` and starts its transfer; a refused entry is not started.
  void StartEntry(const ManifestSummary& summary, int index);
  // Counts the entries whose transfer did not end whole, keeping the first
  // names: the manifest is released when the run ends.
  void CountMissingFiles(const ManifestSummary& summary);

  cDownloadHost& host_;
  const bool verifyEverything_;
  // Atomic: a name is written before the count that covers it.
  std::atomic<int> missingFiles_;
  char missingNames_[kMissingNamesKept][260];
};
