// The JSON layer on the download manifest it reads in the field: 20,000
// files, about 2 MB. Measures parsing, releasing, and reading every entry the
// way the download manager does (root Find "FileList", Element i, Child
// "Name" GetText, Child "Size" GetInt64), plus the memory the tree takes.
// Allocations are counted by replacing operator new (allocation_counter.cpp).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "allocation_counter.h"
#include "json/json.h"
#include "manifest_maker.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kEntries = 20000;

const std::string& Manifest() {
  static const std::string text = json_test::MakeManifest(kEntries);
  return text;
}

void BM_ParseManifest(benchmark::State& state) {
  const std::string& text = Manifest();
  int64_t treeBytes = 0;
  int64_t peakBytes = 0;
  for (auto _ : state) {
    cJson document;
    allocation_counter::ResetPeak();
    const int64_t before = allocation_counter::Now().liveBytes;
    const bool parsed = document.Parse(text.c_str());
    const allocation_counter::Snapshot after = allocation_counter::Now();
    treeBytes = after.liveBytes - before;
    peakBytes = after.peakBytes - before;
    benchmark::DoNotOptimize(parsed);
    state.PauseTiming();
    document.Release();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  state.counters["entries"] = kEntries;
  state.counters["tree_MB"] = static_cast<double>(treeBytes) / 1e6;
  state.counters["peak_MB"] = static_cast<double>(peakBytes) / 1e6;
  state.counters["bytes_per_entry"] = static_cast<double>(treeBytes) / kEntries;
}
BENCHMARK(BM_ParseManifest)->Unit(benchmark::kMillisecond);

void BM_ReleaseManifest(benchmark::State& state) {
  const std::string& text = Manifest();
  for (auto _ : state) {
    state.PauseTiming();
    cJson document;
    document.Parse(text.c_str());
    state.ResumeTiming();
    document.Release();
  }
  state.SetItemsProcessed(state.iterations() * (kEntries + 1));  // object nodes released
}
BENCHMARK(BM_ReleaseManifest)->Unit(benchmark::kMillisecond);

void BM_ReadEveryEntry(benchmark::State& state) {
  cJson document;
  document.Parse(Manifest().c_str());
  int64_t checksum = 0;
  for (auto _ : state) {
    cJson::Node* list = document.Find("FileList");
    for (int32_t i = 0; i < kEntries; ++i) {
      cJson::Node* entry = list->Element(i);
      cJson::Node* name = entry->Child("Name");
      cJson::Node* size = entry->Child("Size");
      benchmark::DoNotOptimize(name->GetText());
      checksum += size->GetInt64();
    }
  }
  benchmark::DoNotOptimize(checksum);
  // Per entry: Element, two Child lookups and the two reads.
  state.counters["lookups"] = benchmark::Counter(static_cast<double>(state.iterations()) * kEntries * 3,
                                                 benchmark::Counter::kIsRate);
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ReadEveryEntry)->Unit(benchmark::kMillisecond);

void BM_LoadEmbeddedUx(benchmark::State& state) {
  for (auto _ : state) {
    cJson ux;
    benchmark::DoNotOptimize(ux.LoadEmbedded(RESOURCE_UX_DOCUMENT));
  }
}
BENCHMARK(BM_LoadEmbeddedUx)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
