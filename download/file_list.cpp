#include "download/file_list.h"

#include <cstring>

#include "json/json.h"

namespace {

// The "URL" of each "Mirrors" element that can carry names.
std::vector<const char*> ReadMirrors(cJson& manifest) {
  std::vector<const char*> mirrors;
  cJson::Node* list = manifest.Find("Mirrors");
  for (int i = 0; list && list->Element(i); ++i) {
    cJson::Node* url = list->Element(i)->Child("URL");
    if (url && IsServerUrl(url->GetText())) mirrors.push_back(url->GetText());
  }
  return mirrors;
}

}  // namespace

ManifestProblem cFileList::Read(cJson& manifest, const char** missing) {
  entries_.clear();
  text_.clear();
  ManifestSummary summary;
  const ManifestProblem problem = ReadManifestSummary(manifest, &summary, missing);
  if (problem != ManifestProblem::kNone) return problem;
  totalSize_ = summary.totalSize;
  servers_.assign(1, summary.baseUrl ? summary.baseUrl : "");
  for (const char* mirror : ReadMirrors(manifest)) servers_.emplace_back(mirror);
  entries_.reserve(static_cast<size_t>(summary.fileCount));
  for (int i = 0; i < summary.fileCount; ++i) {
    const ManifestEntry entry = ReadManifestEntry(summary, i);
    entries_.push_back(Row{Keep(entry.name), Keep(entry.sha256), entry.size, entry.hasSize});
  }
  text_.shrink_to_fit();
  return ManifestProblem::kNone;
}

uint32_t cFileList::Keep(const char* text) {
  if (!text) return kNone;
  const uint32_t at = static_cast<uint32_t>(text_.size());
  text_.insert(text_.end(), text, text + std::strlen(text) + 1);
  return at;
}

ManifestEntry cFileList::Entry(int index) const {
  const Row& row = entries_[static_cast<size_t>(index)];
  auto text = [this](uint32_t at) { return at == kNone ? nullptr : &text_[at]; };
  return ManifestEntry{text(row.name), row.size, row.hasSize, text(row.sha256)};
}
