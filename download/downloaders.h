#pragma once
// The two transfers of the program: client files for the download manager,
// and documents (the manifest) fetched on the caller's thread.

#include <cstdint>

#include "download/http.h"

// One file of the client; its progress goes to the application's download
// manager.
class cFileDownloader : public cHttp {
 public:
  cFileDownloader();
  void OnReceived(int bytes) override;
  void OnStart(int64_t startOffset) override;
};

// A small document such as the manifest; no progress is counted.
class cResDownloader : public cHttp {
 public:
  cResDownloader();
  void OnReceived(int bytes) override;
};
