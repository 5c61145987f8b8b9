#pragma once
// cFileList: what a run needs of a manifest, copied out of its JSON tree into
// one block of text and a table: the servers (the base URL "URL", then each
// usable "URL" of "Mirrors"), "TotalSize" and each entry's name, size and
// digest. Every lane of a run reads it at once, which a JSON
// tree does not allow (even a lookup changes a tree), and the tree can go
// as soon as the list is made: 100,000 entries take about 12 MB here against
// some 75 MB as a tree in the 32-bit program.

#include <cstdint>
#include <string>
#include <vector>

#include "download/manifest.h"

class cJson;

class cFileList {
 public:
  // Reads the summary and every entry of a loaded manifest; kMissingMember,
  // naming the member in `missing`, when the manifest lacks one.
  ManifestProblem Read(cJson& manifest, const char** missing);

  // "TotalCount", cut to the entries the list holds.
  int Count() const { return static_cast<int>(entries_.size()); }
  int64_t TotalSize() const { return totalSize_; }
  const char* BaseUrl() const { return servers_[0].c_str(); }
  // The servers a file may come from: 0 is "URL", then the mirrors in the
  // manifest's order (only URLs that can carry names: http or https, ending
  // in '/'; the operator tool names the others).
  int ServerCount() const { return static_cast<int>(servers_.size()); }
  const char* Server(int index) const { return servers_[static_cast<size_t>(index)].c_str(); }
  // Entry `index` (0 <= index < Count()); its texts live as long as the list.
  ManifestEntry Entry(int index) const;

 private:
  // Where an entry's texts start in `text_`; kNone when the entry has none.
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  struct Row {
    uint32_t name;
    uint32_t sha256;
    int64_t size;
    bool hasSize;
  };
  uint32_t Keep(const char* text);

  int64_t totalSize_ = 0;
  std::vector<std::string> servers_ = {""};
  std::vector<Row> entries_;
  std::vector<char> text_;
};
