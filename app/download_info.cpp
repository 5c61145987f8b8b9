#include "app/download_info.h"

#include <cstdio>
#include <string>

#include "app/download_control.h"
#include "download/downloaders.h"
#include "download/manifest_trust.h"
#include "json/json.h"
#include "platform/files.h"
#include "platform/manifest_keys.h"

namespace {

const char kManifest[] = "file.json";
const char kSignature[] = "file.json.sig";
const char kFetched[] = "fileT.json";
const char kFetchedSignature[] = "fileT.json.sig";

// The server's copy replaces a sound local one only when it loads as a
// manifest with a larger "Version". A local copy without "Version" is older
// than any that has one; a fetched copy that does not load, or has no
// "Version", never replaces a local one that loads.
bool FetchedIsNewer(cJson& local, cJson& fetched) {
  cJson::Node* fetchedVersion = fetched.Find("Version");
  if (!fetchedVersion) return false;
  cJson::Node* localVersion = local.Find("Version");
  return !localVersion || localVersion->GetInt() < fetchedVersion->GetInt();
}

// The manifest into `manifest`, then its signature, beside it on the server,
// into `signature`. False when the manifest brought nothing. A signature that
// does not arrive leaves no file: the check names it missing. A build that
// takes unsigned manifests asks for none.
bool FetchSigned(cResDownloader& fetch, const char* manifestUrl, const char* manifest, const char* signature) {
  if (fetch.DownloadResource(manifestUrl, manifest) == 0) return false;
  if (!platform::ManifestSignaturesRequired()) return true;
  const std::string signatureUrl = std::string(manifestUrl) + ".sig";
  if (fetch.DownloadResource(signatureUrl.c_str(), signature) == 0) platform::RemoveFile(signature);
  return true;
}

void Replace(const char* from, const char* to) {
  platform::RemoveFile(to);
  platform::RenameFile(from, to);
}

}  // namespace

ManifestLoad LoadDownloadManifest(const char* manifestUrl, DownloadInfo* info) {
  info->sizeKnown = false;
  info->totalSize = 0;
  info->refusal[0] = 0;
  cResDownloader fetch(AppDownloadHost());
  // Each copy is read once, by its check: what is used is what verified.
  cJson local;
  const ManifestCheck localCheck = CheckManifest(kManifest, local);
  const bool localPresent = localCheck.trust != ManifestTrust::kUnreadable;
  const bool localSound = localCheck.trust == ManifestTrust::kTrusted && localCheck.isObject;
  const char* target = localPresent ? kFetched : kManifest;
  const char* targetSignature = localPresent ? kFetchedSignature : kSignature;
  if (!FetchSigned(fetch, manifestUrl, target, targetSignature)) {
    if (localPresent) platform::RemoveFile(kFetched);  // whatever part of it arrived
    return ManifestLoad::kNetworkError;
  }
  cJson fetched;
  const ManifestCheck fetchedCheck = CheckManifest(target, fetched);
  cJson* inForce = &local;
  if (fetchedCheck.trust != ManifestTrust::kTrusted) {
    platform::RemoveFile(target);
    platform::RemoveFile(targetSignature);
    DescribeManifestCheck(fetchedCheck, kManifest, info->refusal, sizeof info->refusal);
    if (!localSound) return ManifestLoad::kUnverified;
  } else if (!localPresent) {
    inForce = &fetched;  // fetched straight into "file.json"
  } else if (!localSound || (fetchedCheck.isObject && FetchedIsNewer(local, fetched))) {
    Replace(kFetched, kManifest);
    Replace(kFetchedSignature, kSignature);
    inForce = &fetched;
  } else {
    platform::RemoveFile(kFetched);
    platform::RemoveFile(kFetchedSignature);
  }
  if (cJson::Node* totalSize = inForce->Find("TotalSize")) {
    info->sizeKnown = true;
    info->totalSize = totalSize->GetInt64();
  }
  return ManifestLoad::kLoaded;
}
