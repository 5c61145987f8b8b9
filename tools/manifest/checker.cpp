#include "tools/manifest/checker.h"

#include <ctime>
#include <map>
#include <set>

#include "download/manifest.h"
#include "download/manifest_trust.h"
#include "json/json.h"
#include "platform/sha256.h"
#include "tools/manifest/carriage_rules.h"
#include "tools/manifest/client_folder.h"
#include "tools/manifest/manifest_text.h"

namespace manifest_tool {
namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

std::string EntryLabel(int index, const char* name) {
  return "entry " + std::to_string(index) + (name ? " (\"" + PrintableName(name) + "\")" : "");
}

// Members other than "Name", "Size" and "SHA256" in an entry: the remains of
// a value that the reader cut at a ',' or a '}'.
std::vector<std::string> UnexpectedMembers(cJson::Node* element) {
  std::vector<std::string> keys;
  if (!element || element->kind != cJson::Node::eJsonNode) return keys;
  for (MemberEntry* entry = static_cast<JsonNode*>(element)->members.newest; entry; entry = entry->older) {
    const std::string key = entry->key;
    if (entry->node && key != "Name" && key != "Size" && key != "SHA256") keys.insert(keys.begin(), key);
  }
  return keys;
}

class cChecker {
 public:
  cChecker(const std::string& path, const std::string& folder) : path_(path), folder_(folder) {}

  CheckReport Run() {
    std::string text;
    if (!ReadWholeFile(path_, &text)) return Fail(path_ + ": cannot be read");
    if (text.compare(0, 3, kByteOrderMark) == 0) {
      Problem("begins with a UTF-8 byte-order mark: the downloader cannot load it at all");
      text.erase(0, 3);
    }
    if (!manifest_.Parse(text.c_str())) return Fail("does not begin with a JSON object: the downloader cannot load it");
    CheckMembers();
    return report_;
  }

 private:
  CheckReport Fail(const std::string& problem) {
    Problem(problem);
    return report_;
  }
  void Problem(const std::string& text) { report_.problems.push_back(text); }
  void Note(const std::string& text) { report_.notes.push_back(text); }

  void CheckExpiry() {
    cJson::Node* expires = manifest_.Find("Expires");
    if (!expires) return;
    const std::string text = expires->GetText();
    long long until = 0;
    if (!ParseUtcTime(text.c_str(), &until)) {
      Problem("\"Expires\" \"" + text + "\" is not a UTC time like 2027-03-01T00:00:00Z: the downloader refuses it");
    } else if (static_cast<long long>(std::time(nullptr)) >= until) {
      Problem("expired at " + text + ": the downloader refuses it");
    } else {
      Note("expires at " + text);
    }
  }

  void CheckMembers() {
    for (const char* member : {"Version", "TotalCount", "TotalSize", "URL", "FileList"}) {
      if (!manifest_.Find(member)) Problem(std::string("has no \"") + member + "\"");
    }
    CheckExpiry();
    CheckMirrors();
    ManifestSummary summary;
    const char* missing = nullptr;
    if (ReadManifestSummary(manifest_, &summary, &missing) != ManifestProblem::kNone) return;
    cJson::Node* list = manifest_.Find("FileList");
    if (list && list->kind != cJson::Node::eJsonNodes) {
      Problem("\"FileList\" is not a list of objects: the downloader sees no entries in it");
    }

    const int declared = manifest_.Find("TotalCount")->GetInt();
    if (declared < summary.listedCount) {
      Problem("\"TotalCount\" is " + std::to_string(declared) + " but \"FileList\" holds " +
              std::to_string(summary.listedCount) + " entries: the downloader ignores the ones after " +
              std::to_string(declared < 0 ? 0 : declared));
    } else if (declared > summary.listedCount) {
      Problem("\"TotalCount\" is " + std::to_string(declared) + " but \"FileList\" holds only " +
              std::to_string(summary.listedCount) + " entries");
    }
    for (const std::string& problem : BaseUrlProblems(summary.baseUrl)) {
      Problem("\"URL\" \"" + std::string(summary.baseUrl) + "\" " + problem);
    }
    CheckEntries(summary);
  }

  // Each mirror's URL, in the form the downloader uses it in.
  void CheckMirrors() {
    cJson::Node* mirrors = manifest_.Find("Mirrors");
    if (mirrors && mirrors->kind != cJson::Node::eJsonNodes) {
      Problem("\"Mirrors\" is not an array of objects with a \"URL\": the downloader uses none of them, and reads"
              " no member after them");
      return;
    }
    for (int i = 0; mirrors && mirrors->Element(i); ++i) {
      cJson::Node* url = mirrors->Element(i)->Child("URL");
      if (!url) {
        Problem("mirror " + std::to_string(i) + " has no \"URL\"");
        continue;
      }
      for (const std::string& problem : BaseUrlProblems(url->GetText())) {
        Problem("mirror \"" + std::string(url->GetText()) + "\" " + problem);
      }
    }
  }

  void CheckEntries(const ManifestSummary& summary) {
    int64_t sum = 0;
    std::set<std::string> seen;
    std::string launchTarget;
    for (int i = 0; i < summary.listedCount; ++i) {
      // Unexpected members first: the lookups below leave entries of their own.
      for (const std::string& key : UnexpectedMembers(summary.fileList->Element(i))) {
        Problem("entry " + std::to_string(i) + " has a member \"" + key +
                "\": a value before it holds ',' or '}' and was cut there");
      }
      cJson::Node* element = summary.fileList->Element(i);
      cJson::Node* nameNode = element->Child("Name");
      cJson::Node* sizeNode = element->Child("Size");
      cJson::Node* hashNode = element->Child("SHA256");
      const char* name = nameNode ? nameNode->GetText() : nullptr;
      const std::string label = EntryLabel(i, name);
      if (!nameNode) Problem(label + " has no \"Name\"");
      if (!sizeNode) Problem(label + " has no \"Size\"");
      const int64_t size = sizeNode ? sizeNode->GetInt64() : 0;
      if (sizeNode && size < 0) Problem(label + " has the size " + std::to_string(size) + ", which no file has");
      sum += size;
      if (hashNode && !platform::IsSha256Text(hashNode->GetText())) {
        Problem(label + " has a \"SHA256\" that is not 64 hexadecimal digits: the downloader cannot verify it");
      }
      if (!name) continue;
      const std::string refusal = NameRefusal(summary.baseUrl, name);
      if (!refusal.empty()) Problem(label + " " + refusal);
      if (!seen.insert(name).second) Problem(label + " names a file listed before: two transfers would write it at once");
      if (i < summary.fileCount && IsLaunchTarget(name) && IsSafeRelativeName(name)) launchTarget = name;
      listed_[name] = {size, hashNode ? hashNode->GetText() : ""};
    }
    if (sum != summary.totalSize) {
      Problem("\"TotalSize\" is " + std::to_string(summary.totalSize) + " but the sizes add up to " +
              std::to_string(sum) +
              (summary.totalSize < sum ? ": the downloader reports a size error on every chunk past it"
                                       : ": the progress would never reach 100%"));
    }
    if (launchTarget.empty()) {
      Problem("no entry ends in \".exe\": Launch would find no executable");
    } else {
      Note("launch target: " + launchTarget);
    }
    if (!folder_.empty()) CompareWithFolder();
  }

  void CompareWithFolder() {
    const ClientFolder client = ReadClientFolder(folder_, path_);
    for (const std::string& error : client.errors) Problem("folder: " + error);
    std::map<std::string, int64_t> onDisk;
    for (const ClientFile& file : client.files) onDisk[file.name] = file.size;
    for (const auto& [name, listed] : listed_) {
      const auto found = onDisk.find(name);
      std::string sha256, error;
      if (found == onDisk.end()) {
        Problem("\"" + name + "\" is listed but not in the folder");
      } else if (found->second != listed.size) {
        Problem("\"" + name + "\" is listed with " + std::to_string(listed.size) + " bytes but has " +
                std::to_string(found->second) + " in the folder");
      } else if (platform::IsSha256Text(listed.sha256.c_str())) {
        if (!HashClientFile(folder_, name, &sha256, &error)) {
          Problem("folder: " + error);
        } else if (!platform::SameSha256(sha256.c_str(), listed.sha256.c_str())) {
          Problem("\"" + name + "\" does not match its \"SHA256\": the bytes in the folder are not the ones listed");
        }
      }
    }
    for (const auto& [name, size] : onDisk) {
      if (!listed_.count(name)) Problem("\"" + name + "\" is in the folder but not listed");
    }
  }

  std::string path_;
  std::string folder_;
  cJson manifest_;
  CheckReport report_;
  struct Listed {
    int64_t size;
    std::string sha256;
  };
  std::map<std::string, Listed> listed_;
};

}  // namespace

CheckReport CheckManifest(const std::string& manifestPath, const std::string& folder) {
  return cChecker(manifestPath, folder).Run();
}

}  // namespace manifest_tool
