#include "app/app.h"
#include "download/downloaders.h"
#include "download/manager.h"

// Kept apart from cResDownloader: this one needs the download manager, the
// manifest fetch does not.

cFileDownloader::cFileDownloader() : cHttp("cFileDownloader") {}

// The manager stops every worker before it is deleted and the pointer is
// cleared only after that, so it stays valid while this runs.
void cFileDownloader::OnStart(int64_t offset) {
  if (cMgrDownloader* manager = theApp->downloadManager) manager->OnStart(offset);
}

void cFileDownloader::OnReceived(int bytes) {
  if (cMgrDownloader* manager = theApp->downloadManager) manager->OnReceived(bytes);
}
