#pragma once
// cMgrDownloader: downloads every file of the manifest into the download
// folder, with at most GetMaxConnections() transfers at once, and keeps the
// run's totals for the user interface.

#include <atomic>
#include <cstdint>

#include "download/thread.h"

class cFileDownloader;
struct ManifestSummary;

class cMgrDownloader : public cThread {
 public:
  cMgrDownloader();
  ~cMgrDownloader() override;

  void OnExecute() override;
  // The run proper: reads the manifest and drives the transfers. False when
  // the manifest could not be read, so the run must not count as completed.
  bool DoDownloadFile();
  // A transfer found `offset` bytes of its file on disk already.
  void OnStart(int64_t offset);
  // A transfer wrote `bytes` more bytes.
  void OnReceived(int bytes);

  // Written by the manager's thread before the first transfer starts, read
  // by the user interface at any time: atomics, so no reading is ever torn.
  std::atomic<int64_t> totalSize;
  // Changed only by atomic additions from the transfer threads.
  std::atomic<int64_t> progressSize;
  std::atomic<int64_t> receivedSize;
  int fileCount;
  std::atomic<uint32_t> startTick;
  std::atomic<int> completed;
  cFileDownloader* workers;

 private:
  // Checks entry `index` and starts its transfer; a refused entry is not started.
  void StartEntry(const ManifestSummary& summary, int index);
};
