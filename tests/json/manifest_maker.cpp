#include "manifest_maker.h"

#include <cstdio>

namespace json_test {

std::string ManifestEntryName(int index) {
  char name[96];
  std::snprintf(name, sizeof name, "client/data/pack%03d/textures/hd/terrain-asset-%06d.pak", index % 97, index);
  return name;
}

int64_t ManifestEntrySize(int index) {
  // Sizes from a few bytes to beyond 4 GB, so 64-bit reading matters.
  return 1 + (static_cast<int64_t>(index) * 2654435761LL) % 5000000000LL;
}

std::string MakeManifest(int entries, int version) {
  int64_t total = 0;
  for (int i = 0; i < entries; ++i) total += ManifestEntrySize(i);
  char head[256];
  std::snprintf(head, sizeof head,
                "{\r\n  \"Version\": %d,\r\n  \"TotalCount\": %d,\r\n  \"TotalSize\": %lld,\r\n"
                "  \"URL\": \"http://127.0.0.1:28080/client/\",\r\n  \"FileList\": [\r\n",
                version, entries, static_cast<long long>(total));
  std::string text = head;
  text.reserve(text.size() + static_cast<size_t>(entries) * 100 + 16);
  for (int i = 0; i < entries; ++i) {
    char line[192];
    std::snprintf(line, sizeof line, "    { \"Name\": \"%s\", \"Size\": %lld }%s\r\n", ManifestEntryName(i).c_str(),
                  static_cast<long long>(ManifestEntrySize(i)), i + 1 < entries ? "," : "");
    text += line;
  }
  text += "  ]\r\n}\r\n";
  return text;
}

}  // namespace json_test
