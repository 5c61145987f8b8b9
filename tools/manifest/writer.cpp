#include "tools/manifest/writer.h"

#include <climits>

#include "download/manifest.h"
#include "json/json.h"
#include "tools/manifest/carriage_rules.h"
#include "tools/manifest/client_folder.h"
#include "tools/manifest/manifest_text.h"

namespace manifest_tool {
namespace {

// The version to write: the stored one plus 1, or 1 for a first manifest.
bool NextVersion(const std::string& output, int32_t* version, std::string* problem) {
  std::string text;
  *version = 1;
  if (!ReadWholeFile(output, &text)) return true;
  cJson stored;
  cJson::Node* storedVersion = stored.Parse(text.c_str()) ? stored.Find("Version") : nullptr;
  if (!storedVersion) {
    *problem = output + ": exists but has no \"Version\" to count on from; give --version";
    return false;
  }
  if (storedVersion->GetInt() == INT32_MAX) {
    *problem = output + ": its \"Version\" cannot grow any further";
    return false;
  }
  *version = storedVersion->GetInt() + 1;
  return true;
}

// Reads `text` back with the downloader's own reader: it must see exactly the
// files that were listed. A difference means a rule above missed something.
bool ReadsBackExactly(const std::string& text, const std::string& url, const std::vector<ClientFile>& files) {
  cJson manifest;
  if (!manifest.Parse(text.c_str())) return false;
  ManifestSummary summary;
  const char* missing = nullptr;
  if (ReadManifestSummary(manifest, &summary, &missing) != ManifestProblem::kNone) return false;
  if (summary.fileCount != static_cast<int>(files.size()) || summary.listedCount != summary.fileCount ||
      url != summary.baseUrl) {
    return false;
  }
  int64_t totalSize = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const ManifestEntry entry = ReadManifestEntry(summary, static_cast<int>(i));
    if (!entry.name || files[i].name != entry.name || files[i].size != entry.size || !entry.sha256 ||
        files[i].sha256 != entry.sha256) {
      return false;
    }
    totalSize += files[i].size;
  }
  return totalSize == summary.totalSize;
}

}  // namespace

WriteOutcome WriteManifest(const WriteRequest& request) {
  WriteOutcome outcome{false, {}, 0, 0, 0};
  for (const std::string& problem : BaseUrlProblems(request.url)) {
    outcome.refusals.push_back("URL \"" + request.url + "\" " + problem);
  }
  for (const std::string& mirror : request.mirrors) {
    for (const std::string& problem : BaseUrlProblems(mirror)) {
      outcome.refusals.push_back("mirror \"" + mirror + "\" " + problem);
    }
  }

  ClientFolder client = ReadClientFolder(request.folder, request.output);
  for (const std::string& error : client.errors) outcome.refusals.push_back(error);
  for (ClientFile& file : client.files) {
    // Every file is pinned by its digest: the downloader verifies its bytes.
    std::string hashError;
    if (!HashClientFile(request.folder, file.name, &file.sha256, &hashError)) outcome.refusals.push_back(hashError);
    const std::string refusal = NameRefusal(request.url, file.name);
    if (!refusal.empty()) outcome.refusals.push_back(PrintableName(file.name) + ": " + refusal);
    outcome.totalSize += file.size;
  }
  if (client.files.size() > INT32_MAX) outcome.refusals.push_back("more files than a manifest can count");

  std::string versionProblem;
  outcome.version = request.version;
  if (!request.hasVersion && !NextVersion(request.output, &outcome.version, &versionProblem)) {
    outcome.refusals.push_back(versionProblem);
  }
  if (!outcome.refusals.empty()) return outcome;

  outcome.fileCount = static_cast<int32_t>(client.files.size());
  const std::string text = FormatManifest(outcome.version, request.url, request.mirrors, client.files, request.expires);
  if (!ReadsBackExactly(text, request.url, client.files)) {
    outcome.refusals.push_back("the manifest does not read back as written (a rule of this tool is missing)");
    return outcome;
  }
  std::string writeError;
  if (!ReplaceFile(request.output, text, &writeError)) {
    outcome.refusals.push_back(writeError);
    return outcome;
  }
  outcome.written = true;
  return outcome;
}

}  // namespace manifest_tool
