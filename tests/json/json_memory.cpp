// What a download manifest costs in memory once loaded.
//
//   json_memory [entries]      (default 20000)
//
// Writes a manifest of that many files to the temporary folder, loads it
// with cJson::LoadFile and prints the bytes allocated through operator new:
// one object node alone, the whole loaded tree, and the peak while loading
// (which includes the file's text). Run the Windows build under Wine
// (scripts/wine-run.sh) for the figures of the 32-bit program.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "allocation_counter.h"
#include "json/json.h"
#include "manifest_maker.h"
#include "platform/files.h"
#include "platform/system.h"

namespace {

int64_t BytesOf(void (*make)()) {
  const int64_t before = allocation_counter::Now().liveBytes;
  make();
  return allocation_counter::Now().liveBytes - before;
}

JsonNode* keptObject = nullptr;
JsonValue* keptValue = nullptr;

}  // namespace

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 20000;
  char folder[260];
  if (!platform::GetTempFolder(folder, sizeof folder) || !platform::SetCurrentFolder(folder)) {
    std::fprintf(stderr, "json_memory: no temporary folder\n");
    return 1;
  }
  const std::string manifest = json_test::MakeManifest(entries);
  FILE* file = platform::OpenFile("json-memory-manifest.json", "wb");
  if (!file || std::fwrite(manifest.data(), 1, manifest.size(), file) != manifest.size()) {
    std::fprintf(stderr, "json_memory: cannot write the manifest\n");
    return 1;
  }
  std::fclose(file);

  const int64_t objectBytes = BytesOf([] { keptObject = new JsonNode("entry"); });
  const int64_t valueBytes = BytesOf([] { keptValue = new JsonValue("Name", "data/pack001/asset-000001.pak"); });
  const int64_t entryBytes = BytesOf([] { keptObject->members.Add("Name", keptValue); });
  delete keptObject;

  cJson document;
  allocation_counter::ResetPeak();
  const allocation_counter::Snapshot before = allocation_counter::Now();
  if (!document.LoadFile("json-memory-manifest.json")) {
    std::fprintf(stderr, "json_memory: the manifest did not load\n");
    return 1;
  }
  const allocation_counter::Snapshot loaded = allocation_counter::Now();
  platform::RemoveFile("json-memory-manifest.json");

  const int64_t tree = loaded.liveBytes - before.liveBytes;
  const int objects = entries + 1;
  std::printf("pointer size                 %d bytes\n", static_cast<int>(sizeof(void*)));
  std::printf("manifest text                %zu bytes, %d entries\n", manifest.size(), entries);
  std::printf("one object node              %lld bytes (sizeof %zu; %d chain heads of %zu past %d members)\n",
              static_cast<long long>(objectBytes), sizeof(JsonNode), static_cast<int>(MemberTable::kCapacity),
              sizeof(MemberEntry*), static_cast<int>(MemberTable::kListedMembers));
  std::printf("one scalar value             %lld bytes (sizeof %zu + its text)\n", static_cast<long long>(valueBytes),
              sizeof(JsonValue));
  std::printf("one member entry             %lld bytes (sizeof %zu + its key)\n", static_cast<long long>(entryBytes),
              sizeof(MemberEntry));
  std::printf("loaded tree                  %lld bytes in %lld blocks (%d object nodes)\n",
              static_cast<long long>(tree), static_cast<long long>(loaded.liveBlocks - before.liveBlocks), objects);
  std::printf("  per manifest entry         %lld bytes\n", static_cast<long long>(tree / (entries ? entries : 1)));
  std::printf("peak while loading           %lld bytes\n", static_cast<long long>(loaded.peakBytes - before.liveBytes));
  return 0;
}
