#pragma once
// The download information: the manifest "file.json" brought from a
// content server (download/manifest_fetch.h) into the current directory (the resource folder), where
// the download manager reads it later, and the client's total size.
//
// The server's copy comes with its signature "file.json.sig", and is used
// only once it verifies (download/manifest_trust.h); the local copy too. With
// a local "file.json", the server's copy is fetched into "fileT.json" (and
// "fileT.json.sig") and replaces the local one when it verifies and the
// local one does not, or has a smaller "Version"; "fileT.json" is gone
// afterwards in every case. Without one, the server's copy is fetched
// straight into "file.json". A fetched copy that does not verify is deleted
// with its signature and never replaces anything. One manifest's tree at a
// time: a client of 100,000 files has one of some 75 MB.

#include <cstdint>

#include "download/file_list.h"

struct DownloadInfo {
  // False when the manifest in force has no "TotalSize" (or does not load):
  // the client's size is then unknown, not 0.
  bool sizeKnown;
  int64_t totalSize;
  // The files the manifest in force lists (empty when it lacks a member a
  // run needs): what a folder still needs room for.
  cFileList files;
  // Why the server's copy was refused ("" when it was not): with kLoaded the
  // local copy was kept, with kUnverified none verified.
  char refusal[320];
};

enum class ManifestLoad {
  kLoaded,
  // The fetch brought nothing; no "file.json" was deleted or replaced.
  kNetworkError,
  // No manifest verifies: neither the server's nor a local one.
  kUnverified,
};

// `servers`: the content servers' base URLs (';' between them), whose
// "file.json" is fetched from the first that answers. Some transfer failures
// end the program (the fetch asks the host, with their own messages): the
// result is then kNetworkError.
ManifestLoad LoadDownloadManifest(const char* servers, DownloadInfo* info);
