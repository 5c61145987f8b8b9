#pragma once
// The download manifest, "file.json": what the client consists of and where
// its files lie. Read with the program's own JSON layer, whose permissive
// parser fixes what names and URLs may hold (see the operator tool, which
// writes and checks manifests).

#include <cstddef>
#include <cstdint>

#include "json/json.h"

// The members of a manifest that a download needs.
struct ManifestSummary {
  int fileCount;          // "TotalCount", never more than "FileList" holds
  int64_t totalSize;      // "TotalSize"
  const char* baseUrl;    // "URL"; points into the document
  int listedCount;        // entries "FileList" really holds
  cJson::Node* fileList;  // "FileList"; null when absent
};

// One "FileList" entry.
struct ManifestEntry {
  const char* name;    // "Name"; points into the document, null when missing
  int64_t size;        // "Size": the file's length, when hasSize
  bool hasSize;        // the entry has a "Size"
  const char* sha256;  // "SHA256", the file's digest in hexadecimal; null when missing
};

enum class ManifestProblem {
  kNone,
  kMissingMember,  // "TotalCount", "TotalSize", "URL" or (with files) "FileList"
};

// Reads the summary of a loaded manifest. A "TotalCount" larger than the list
// is cut to the list; a negative one counts as 0. Returns kMissingMember, and
// names the member in `missing`, when the manifest lacks one.
ManifestProblem ReadManifestSummary(cJson& manifest, ManifestSummary* summary, const char** missing);

// Entry `index` of the summary's list (0 <= index < listedCount).
ManifestEntry ReadManifestEntry(const ManifestSummary& summary, int index);

// True when `baseUrl` can carry file names: not empty and ending in '/'.
bool IsUsableBaseUrl(const char* baseUrl);

// True for a server's base URL a mirror may name: http:// or https://,
// ending in '/'.
bool IsServerUrl(const char* url);

// True when `name` stays inside the download folder: not empty, no leading
// separator, no drive or stream (':'), and no component made only of dots
// and blanks ("..", which Windows also reaches through "... " and the like),
// and no device name (CON, NUL, COM1 ... with any extension, which Windows
// opens as the device). Both '/' and '\' separate folders on Windows.
bool IsSafeRelativeName(const char* name);

// True when the first ".exe" in `name` ends it: the entry is the game's
// executable, the one Launch runs.
bool IsLaunchTarget(const char* name);
