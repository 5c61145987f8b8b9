#pragma once
// What the whole-transfer benchmarks share: wall and CPU time of a run, the
// median of several, and large files of pattern bytes to serve.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

constexpr int64_t kMiB = 1048576;

struct Sample {
  double wall;  // seconds
  double cpu;   // user + system seconds
};

inline double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

inline double CpuOf(const rusage& usage) { return Seconds(usage.ru_utime) + Seconds(usage.ru_stime); }

inline double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// `size` bytes of a xorshift pattern that differs from seed to seed.
inline bool WritePattern(const std::string& path, int64_t size, uint32_t seed = 0) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::vector<uint32_t> block(kMiB / 4);
  uint32_t state = 2463534242u ^ seed;
  bool written = true;
  for (int64_t at = 0; at < size && written; at += kMiB) {
    for (uint32_t& word : block) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      word = state;
    }
    const size_t length = static_cast<size_t>(std::min<int64_t>(kMiB, size - at));
    written = std::fwrite(block.data(), 1, length, file) == length;
  }
  return std::fclose(file) == 0 && written;
}

}  // namespace bench
