#include "download/manifest_fetch.h"

#include <algorithm>
#include <string>

#include "download/downloaders.h"
#include "platform/files.h"

ManifestFetch FetchManifest(cResDownloader& fetch, const char* servers, const char* manifest, const char* signature,
                            bool signatureWanted) {
  const std::string list = servers ? servers : "";
  TransferEnd end = TransferEnd::kUnreachable;
  for (size_t at = 0; at <= list.size();) {
    const size_t next = std::min(list.find(';', at), list.size());
    const std::string base = list.substr(at, next - at);
    at = next + 1;
    if (base.empty()) continue;
    if (fetch.DownloadResource((base + "file.json").c_str(), manifest, &end) == 0) {
      if (end == TransferEnd::kUnreachable) continue;
      fetch.EndProgramFor(end);  // a server that cuts every answer short, as ever
      return end == TransferEnd::kEarlyEnds ? ManifestFetch::kEnding : ManifestFetch::kFailed;
    }
    if (signatureWanted) {
      TransferEnd signatureEnd;
      if (fetch.DownloadResource((base + "file.json.sig").c_str(), signature, &signatureEnd) == 0) {
        platform::RemoveFile(signature);
        fetch.EndProgramFor(signatureEnd);
        if (signatureEnd == TransferEnd::kUnreachable || signatureEnd == TransferEnd::kEarlyEnds) {
          return ManifestFetch::kEnding;
        }
      }
    }
    return ManifestFetch::kFetched;
  }
  fetch.EndProgramFor(TransferEnd::kUnreachable);
  return ManifestFetch::kEnding;
}
