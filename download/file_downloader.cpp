#include "download/downloaders.h"
#include "download/manager.h"

// Kept apart from cResDownloader: this one needs the download manager, the
// manifest fetch does not.

cFileDownloader::cFileDownloader() : cHttp("cFileDownloader"), owner_(nullptr) {}

// The manager stops every worker before it deletes them, so it outlives
// every call of these.
void cFileDownloader::OnStart(int64_t offset) { owner_->OnStart(offset); }

void cFileDownloader::OnReceived(int bytes) { owner_->OnReceived(bytes); }

cDownloadHost& cFileDownloader::Host() { return owner_->Host(); }
