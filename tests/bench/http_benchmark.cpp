// HTTP transfer benchmark: one 1 GiB file from nginx on loopback, fetched by
// cHttp (file mode, on its own thread, into a local file) and by curl, in
// turns, in the same run. Prints each run's wall and CPU time and the ratios
// of the medians (cHttp / curl). Target: wall within 10% of curl's, and no
// more CPU per byte.
//
//   http_benchmark [size-in-MiB] [rounds]      (defaults: 1024 MiB, 3 rounds)

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "download/http.h"
#include "platform/system.h"
#include "tests/bench/measure.h"
#include "tests/download/test_host.h"
#include "tests/support/nginx_server.h"

extern char** environ;

namespace {

using bench::CpuOf;
using bench::kMiB;
using bench::Median;
using bench::Now;
using bench::Sample;

class cSink : public cHttp {
 public:
  explicit cSink(cDownloadHost& host) : cHttp("cFileDownloader"), host_(host) {}
  void OnReceived(int bytes) override { received += bytes; }
  int64_t received = 0;

 protected:
  cDownloadHost& Host() override { return host_; }

 private:
  cDownloadHost& host_;
};

cTestHost host;

Sample FetchWithHttp(const std::string& url, const std::string& target, int64_t size) {
  std::filesystem::remove(target);
  rusage before, after;
  getrusage(RUSAGE_SELF, &before);
  const double start = Now();
  cSink transfer(host);
  transfer.DownloadFile(url.c_str(), target.c_str());
  while (transfer.running) platform::SleepMs(10);
  transfer.Stop();
  const double wall = Now() - start;
  getrusage(RUSAGE_SELF, &after);
  if (transfer.received != size || static_cast<int64_t>(std::filesystem::file_size(target)) != size) {
    std::fprintf(stderr, "cHttp fetched %lld bytes\n", static_cast<long long>(transfer.received));
    std::exit(1);
  }
  return {wall, CpuOf(after) - CpuOf(before)};
}

Sample FetchWithCurl(const std::string& url, const std::string& target, int64_t size) {
  std::filesystem::remove(target);
  const char* arguments[] = {"curl", "--silent", "--show-error", "--fail", "--output", target.c_str(),
                             url.c_str(), nullptr};
  const double start = Now();
  pid_t pid;
  if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(arguments), environ) != 0) {
    std::perror("curl");
    std::exit(1);
  }
  int status = 0;
  rusage usage;
  wait4(pid, &status, 0, &usage);
  const double wall = Now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      static_cast<int64_t>(std::filesystem::file_size(target)) != size) {
    std::fprintf(stderr, "curl failed\n");
    std::exit(1);
  }
  return {wall, CpuOf(usage)};
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t size = (argc > 1 ? std::atoll(argv[1]) : 1024) * kMiB;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;

  host.caption = "http_benchmark";
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("http-benchmark-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "www");
  host.workFolder = folder.string() + "/";

  const std::string source = (folder / "www" / "client.bin").string();
  const std::string target = (folder / "fetched.bin").string();
  if (!bench::WritePattern(source, size)) {
    std::fprintf(stderr, "cannot write %s\n", source.c_str());
    return 1;
  }
  int code = 0;
  {
    cNginxServer nginx;
    if (!nginx.Start((folder / "www").string(), (folder / "nginx").string())) {
      std::fprintf(stderr, "nginx did not start\n");
      code = 1;
    } else {
      const std::string url = nginx.Url("/client.bin");
      // One untimed fetch each, so both find the source in the page cache.
      FetchWithCurl(url, target, size);
      FetchWithHttp(url, target, size);
      std::vector<double> httpWall, httpCpu, curlWall, curlCpu;
      std::printf("%-6s %-6s %10s %10s %12s\n", "round", "client", "wall s", "cpu s", "MiB/s");
      for (int round = 1; round <= rounds; ++round) {
        const Sample curl = FetchWithCurl(url, target, size);
        const Sample http = FetchWithHttp(url, target, size);
        curlWall.push_back(curl.wall);
        curlCpu.push_back(curl.cpu);
        httpWall.push_back(http.wall);
        httpCpu.push_back(http.cpu);
        const double mib = static_cast<double>(size) / kMiB;
        std::printf("%-6d %-6s %10.3f %10.3f %12.1f\n", round, "curl", curl.wall, curl.cpu, mib / curl.wall);
        std::printf("%-6d %-6s %10.3f %10.3f %12.1f\n", round, "cHttp", http.wall, http.cpu, mib / http.wall);
      }
      std::printf("median wall: cHttp %.3f s, curl %.3f s, ratio %.3f\n", Median(httpWall), Median(curlWall),
                  Median(httpWall) / Median(curlWall));
      std::printf("median cpu:  cHttp %.3f s, curl %.3f s, ratio %.3f (per byte, same bytes)\n", Median(httpCpu),
                  Median(curlCpu), Median(httpCpu) / Median(curlCpu));
    }
  }
  std::filesystem::remove_all(folder);
  return code;
}
