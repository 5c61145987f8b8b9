#pragma once
// The download information: the manifest "file.json" brought from the
// content server into the current directory (the resource folder), where
// the download manager reads it later, and the client's total size.
//
// With a local "file.json" that loads, the server's copy is fetched into
// "fileT.json" and replaces the local one only when its "Version" is
// larger; "fileT.json" is gone afterwards in every case. Without one, the
// server's copy is fetched straight into "file.json".

#include <cstdint>

struct DownloadInfo {
  // False when the manifest in force has no "TotalSize" (or does not load):
  // the client's size is then unknown, not 0.
  bool sizeKnown;
  int64_t totalSize;
};

// False when the fetch brought nothing; then no "file.json" was deleted or
// replaced. Some transfer failures end the process inside the fetch, with
// their own messages.
bool LoadDownloadManifest(const char* manifestUrl, DownloadInfo* info);
