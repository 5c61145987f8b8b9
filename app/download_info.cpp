#include "app/download_info.h"

#include <cstdio>
#include <string>

#include "app/download_control.h"
#include "download/downloaders.h"
#include "download/manifest_fetch.h"
#include "download/manifest_trust.h"
#include "json/json.h"
#include "platform/files.h"
#include "platform/manifest_keys.h"

namespace {

const char kManifest[] = "file.json";
const char kSignature[] = "file.json.sig";
const char kFetched[] = "fileT.json";
const char kFetchedSignature[] = "fileT.json.sig";

// What the loading keeps of a manifest once its tree is gone: whether it
// verified, its "Version", its "TotalSize" and its files.
struct ManifestFacts {
  bool present = false;  // there is a file
  bool sound = false;    // it verifies and is an object
  bool hasVersion = false;
  int version = 0;
  bool sizeKnown = false;
  int64_t totalSize = 0;
  cFileList files;
};

// Checks the manifest at `path` and reads its facts; the tree is released on
// return. The check says why a copy was refused.
ManifestCheck ReadFacts(const char* path, ManifestFacts* facts) {
  cJson manifest;
  const ManifestCheck check = CheckManifest(path, manifest);
  facts->present = check.trust != ManifestTrust::kUnreadable;
  facts->sound = check.trust == ManifestTrust::kTrusted && check.isObject;
  if (check.trust != ManifestTrust::kTrusted) return check;
  if (cJson::Node* version = manifest.Find("Version")) {
    facts->hasVersion = true;
    facts->version = version->GetInt();
  }
  if (cJson::Node* totalSize = manifest.Find("TotalSize")) {
    facts->sizeKnown = true;
    facts->totalSize = totalSize->GetInt64();
  }
  const char* missing = nullptr;
  facts->files.Read(manifest, &missing);  // a manifest a run cannot use weighs nothing
  return check;
}

// The server's copy replaces a sound local one only when it loads as a
// manifest with a larger "Version". A local copy without "Version" is older
// than any that has one; a fetched copy that does not load, or has no
// "Version", never replaces a local one that loads.
bool FetchedIsNewer(const ManifestFacts& local, const ManifestFacts& fetched) {
  if (!fetched.hasVersion) return false;
  return !local.hasVersion || local.version < fetched.version;
}

void Replace(const char* from, const char* to) {
  platform::RemoveFile(to);
  platform::RenameFile(from, to);
}

}  // namespace

ManifestLoad LoadDownloadManifest(const char* servers, DownloadInfo* info) {
  info->sizeKnown = false;
  info->totalSize = 0;
  info->refusal[0] = 0;
  cResDownloader fetch(AppDownloadHost());
  // Each copy is read once, by its check: what is used is what verified.
  ManifestFacts local;
  ReadFacts(kManifest, &local);
  const char* target = local.present ? kFetched : kManifest;
  const char* targetSignature = local.present ? kFetchedSignature : kSignature;
  // A build that takes unsigned manifests asks for no signature.
  if (FetchManifest(fetch, servers, target, targetSignature, platform::ManifestSignaturesRequired()) !=
      ManifestFetch::kFetched) {
    if (local.present) platform::RemoveFile(kFetched);  // whatever part of it arrived
    return ManifestLoad::kNetworkError;
  }
  ManifestFacts fetched;
  const ManifestCheck fetchedCheck = ReadFacts(target, &fetched);
  ManifestFacts* inForce = &local;
  if (fetchedCheck.trust != ManifestTrust::kTrusted) {
    platform::RemoveFile(target);
    platform::RemoveFile(targetSignature);
    DescribeManifestCheck(fetchedCheck, kManifest, info->refusal, sizeof info->refusal);
    if (!local.sound) return ManifestLoad::kUnverified;
  } else if (!local.present) {
    inForce = &fetched;  // fetched straight into "file.json"
  } else if (!local.sound || (fetchedCheck.isObject && FetchedIsNewer(local, fetched))) {
    Replace(kFetched, kManifest);
    Replace(kFetchedSignature, kSignature);
    inForce = &fetched;
  } else {
    platform::RemoveFile(kFetched);
    platform::RemoveFile(kFetchedSignature);
  }
  info->sizeKnown = inForce->sizeKnown;
  info->totalSize = inForce->totalSize;
  info->files = std::move(inForce->files);
  return ManifestLoad::kLoaded;
}
