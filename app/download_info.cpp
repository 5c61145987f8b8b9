#include "app/download_info.h"

#include "app/download_control.h"
#include "download/downloaders.h"
#include "json/json.h"
#include "platform/files.h"

namespace {

const char kManifest[] = "file.json";
const char kFetched[] = "fileT.json";

// The server's copy replaces the local one only when it loads as a manifest
// with a larger "Version". A local copy without "Version" is older than any
// that has one; a fetched copy that does not load, or has no "Version", never
// replaces a local one that loads.
bool FetchedIsNewer(cJson& local, cJson& fetched) {
  cJson::Node* fetchedVersion = fetched.Find("Version");
  if (!fetchedVersion) return false;
  cJson::Node* localVersion = local.Find("Version");
  return !localVersion || localVersion->GetInt() < fetchedVersion->GetInt();
}

}  // namespace

bool LoadDownloadManifest(const char* manifestUrl, DownloadInfo* info) {
  info->sizeKnown = false;
  info->totalSize = 0;
  cResDownloader fetch(AppDownloadHost());
  cJson manifest;
  if (manifest.LoadFile(kManifest)) {
    if (fetch.DownloadResource(manifestUrl, kFetched) == 0) {
      platform::RemoveFile(kFetched);  // whatever part of it arrived
      return false;
    }
    cJson fetched;
    const bool replace = fetched.LoadFile(kFetched) && FetchedIsNewer(manifest, fetched);
    fetched.Release();
    if (replace) {
      platform::RemoveFile(kManifest);
      platform::RenameFile(kFetched, kManifest);
    } else {
      platform::RemoveFile(kFetched);
    }
  } else if (fetch.DownloadResource(manifestUrl, kManifest) == 0) {
    return false;
  }
  if (manifest.LoadFile(kManifest)) {
    if (cJson::Node* totalSize = manifest.Find("TotalSize")) {
      info->sizeKnown = true;
      info->totalSize = totalSize->GetInt64();
    }
  }
  manifest.Release();
  return true;
}
