#include "download/manifest.h"

#include <cstring>

#include "download/name_rules.h"

namespace {

// The number of entries an object array holds; 0 for anything else.
int ListedCount(cJson::Node* list) {
  if (!list || list->kind != cJson::Node::eJsonNodes) return 0;
  return static_cast<JsonNodes*>(list)->count;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

ManifestProblem ReadManifestSummary(cJson& manifest, ManifestSummary* summary, const char** missing) {
  *summary = ManifestSummary{0, 0, "", 0, nullptr};
  // "Version" is looked up like the other members, but a download has no use
  // for its value: only the choice of the newer manifest does.
  manifest.Find("Version");

  cJson::Node* count = manifest.Find("TotalCount");
  cJson::Node* size = manifest.Find("TotalSize");
  cJson::Node* url = manifest.Find("URL");
  cJson::Node* list = manifest.Find("FileList");
  const char* absent = !count ? "TotalCount" : !size ? "TotalSize" : !url ? "URL" : nullptr;
  if (!absent && count->GetInt() > 0 && !list) absent = "FileList";
  if (absent) {
    *missing = absent;
    return ManifestProblem::kMissingMember;
  }

  summary->fileList = list;
  summary->listedCount = ListedCount(list);
  const int declared = count->GetInt();
  summary->fileCount = declared < 0 ? 0 : declared > summary->listedCount ? summary->listedCount : declared;
  summary->totalSize = size->GetInt64();
  summary->baseUrl = url->GetText();
  return ManifestProblem::kNone;
}

ManifestEntry ReadManifestEntry(const ManifestSummary& summary, int index) {
  ManifestEntry entry{nullptr, 0, false, nullptr};
  cJson::Node* element = summary.fileList ? summary.fileList->Element(index) : nullptr;
  if (!element) return entry;
  if (cJson::Node* name = element->Child("Name")) entry.name = name->GetText();
  if (cJson::Node* size = element->Child("Size")) {
    entry.size = size->GetInt64();
    entry.hasSize = true;
  }
  if (cJson::Node* sha256 = element->Child("SHA256")) entry.sha256 = sha256->GetText();
  return entry;
}

bool IsUsableBaseUrl(const char* baseUrl) {
  const size_t length = std::strlen(baseUrl);
  return length > 0 && baseUrl[length - 1] == '/';
}

bool IsServerUrl(const char* url) {
  return url && (std::strncmp(url, "http://", 7) == 0 || std::strncmp(url, "https://", 8) == 0) &&
         IsUsableBaseUrl(url);
}

bool IsSafeRelativeName(const char* name) {
  if (!name || !*name || IsSeparator(name[0]) || std::strchr(name, ':')) return false;
  const char* componentStart = name;
  for (const char* c = name;; ++c) {
    if (*c == 0 || IsSeparator(*c)) {
      if (IsDotsOnly(componentStart, c) || IsDeviceName(componentStart, c)) return false;
      if (*c == 0) return true;
      componentStart = c + 1;
    }
  }
}

bool IsLaunchTarget(const char* name) {
  const char* first = std::strstr(name, ".exe");
  return first && first[4] == 0;
}
