#pragma once
// The two transfers of the program: client files for the download manager,
// and documents (the manifest) fetched on the caller's thread.

#include <cstdint>

#include "download/download_host.h"
#include "download/http.h"

class cMgrDownloader;

// One file of the client; its progress goes to the download manager that
// owns it, which also tells the player about it.
class cFileDownloader : public cHttp {
 public:
  cFileDownloader();
  // The manager owns its workers in an array, so it gives each its owner
  // after making them, before it starts any transfer.
  void SetOwner(cMgrDownloader* owner) { owner_ = owner; }
  void OnReceived(int bytes) override;
  void OnStart(int64_t startOffset) override;

 protected:
  cDownloadHost& Host() override;
  cMgrDownloader& Owner() { return *owner_; }

 private:
  cMgrDownloader* owner_;
};

// A small document such as the manifest; no progress is counted.
class cResDownloader : public cHttp {
 public:
  explicit cResDownloader(cDownloadHost& host);
  void OnReceived(int bytes) override;

 protected:
  cDownloadHost& Host() override { return host_; }

 private:
  cDownloadHost& host_;
};
