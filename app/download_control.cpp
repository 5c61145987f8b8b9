#include "app/download_control.h"

#include "app/app.h"
#include "download/manager.h"

void StopDownloadManager() {
  cMgrDownloader* manager = theApp->downloadManager;
  if (!manager) return;
  // The manager may be sending the main window its final refresh at this
  // very moment; a plain wait would leave both threads waiting for each other.
  manager->StopServingSentMessages();
  delete manager;
  theApp->downloadManager = nullptr;
}

void StartDownloadManager() {
  StopDownloadManager();
  theApp->downloadManager = new cMgrDownloader;
  theApp->downloadManager->Start();
}
