// Download manager benchmark, against nginx on loopback:
//   large: a client of 8 files x 128 MiB, fetched by the manager (four
//          transfers at once), by curl four at a time (xargs -P4, one curl per
//          file) and by aria2c -j4 when it is installed; wall and CPU time of
//          each (children included), and the manager's ratios to the best of
//          the others.
//   small: a client of 1,000 files of 4 KiB: wall and CPU, files a second
//          (tests/bench/work_left_benchmark.sh sets many small files against
//          curl).
//   verify: the same 8 x 128 MiB with a SHA-256 for every file in the
//          manifest (each transfer hashes what it writes), beside the same
//          manifest without them and beside curl four at a time followed by
//          sha256sum of the files; then a Start over the complete client,
//          which the record of verified files vouches for (no file read), the
//          same without the record (every file read once to verify it), and
//          one cat of the files.
//
//   manager_benchmark [large|small|verify|all] [rounds]      (defaults: all, 3)
//   ("all" is large and small.)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "download/main_window_link.h"
#include "download/manager.h"
#include "platform/message_box.h"
#include "platform/system.h"
#include "tests/bench/measure.h"
#include "tests/download/test_host.h"
#include "tests/support/nginx_server.h"
#include "tools/manifest/manifest_text.h"
#include "tools/manifest/signing.h"
#include "tools/manifest/writer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using bench::CpuOf;
using bench::kMiB;
using bench::Median;
using bench::Now;
using bench::Sample;

cTestHost host;

int CountBox(const char* text, const char*, unsigned) {
  std::fprintf(stderr, "box: %s\n", text);
  return platform::kIdOk;
}

// The end of a run, as the window would hear it.
class cQuietWindow : public cMainWindowLink {
 public:
  void* WindowHandle() override { return nullptr; }
  void RequestRepaint() override {}
  void ShowFinalFigures() override {}
  void ShowDownloadFinished() override {}
  void ShowDownloadIncomplete(int missingFiles, const char* firstMissing) override {
    std::fprintf(stderr, "%d files missing, the first: %s\n", missingFiles, firstMissing);
  }
  void CloseToEnd() override {}
};

int64_t FolderBytes(const fs::path& folder) {
  int64_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) bytes += static_cast<int64_t>(entry.file_size());
  }
  return bytes;
}

class cBench {
 public:
  cBench(const fs::path& folder, cNginxServer& nginx) : folder_(folder), nginx_(nginx) {}

  // A client of `count` files of `size` bytes under www/client, with its manifest.
  void Publish(int count, int64_t size) {
    fs::remove_all(folder_ / "www" / "client");
    names_.clear();
    for (int i = 0; i < count; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "data/%03d/file%04d.bin", i / 100, i);
      fs::create_directories((folder_ / "www" / "client" / name).parent_path());
      bench::WritePattern((folder_ / "www" / "client" / name).string(), size, static_cast<uint32_t>(i));
      names_.push_back(name);
    }
    totalBytes_ = static_cast<int64_t>(count) * size;
    const auto outcome = manifest_tool::WriteManifest(
        {(folder_ / "www" / "client").string(), nginx_.Url("/client/"), (folder_ / "work" / "file.json").string(),
         true, 1});
    if (!outcome.written) {
      std::fprintf(stderr, "manifest: %s\n", outcome.refusals.front().c_str());
      std::exit(1);
    }
    Sign();
  }

  // The manager uses a manifest only once it verifies: signed with the
  // development key, as an operator signs.
  void Sign() {
    std::string error;
    if (!manifest_tool::SignManifest((folder_ / "work" / "file.json").string(), DOWNLOADER_DEV_KEY_FILE, &error)) {
      std::fprintf(stderr, "manifest: %s\n", error.c_str());
      std::exit(1);
    }
  }

  // Takes the digests out of the manifest, or puts them back.
  void UseDigests(bool use) {
    const fs::path manifest = folder_ / "work" / "file.json";
    if (use) {
      fs::copy_file(folder_ / "file-with-digests.json", manifest, fs::copy_options::overwrite_existing);
      Sign();
      return;
    }
    std::string text;
    manifest_tool::ReadWholeFile(manifest.string(), &text);
    fs::copy_file(manifest, folder_ / "file-with-digests.json", fs::copy_options::overwrite_existing);
    std::string error;
    manifest_tool::ReplaceFile(manifest.string(),
                               std::regex_replace(text, std::regex(", \"SHA256\" : \"[0-9a-f]{64}\""), ""), &error);
    Sign();
  }

  // A run over the client already in the manager's folder (from the last
  // WithManager(keep = true)): every file is found complete.
  // A Start over the client the last WithManager(keep = true) left; without
  // the record of verified files, every file is read to be verified.
  Sample OverCompleteClient(bool withRecord) {
    if (!withRecord) fs::remove(fs::path(host.workFolder) / "verified.txt");
    return ManagerRun(folder_ / "fetched" / "manager", true);
  }

  // One cat of the files the last WithManager(keep = true) left.
  Sample CatOfClient() {
    std::vector<std::string> command = {"cat"};
    for (const std::string& name : names_) command.push_back((folder_ / "fetched" / "manager" / name).string());
    return Run(command, "", "/dev/null");
  }

  Sample WithCurlAndSha256sum() {
    const fs::path target = Fresh("curl");
    const Sample fetched = CurlInto(target);
    std::vector<std::string> command = {"sha256sum"};
    for (const std::string& name : names_) command.push_back((target / name).string());
    const Sample hashed = Run(command, "", "/dev/null");
    Verify(target, "curl");
    return {fetched.wall + hashed.wall, fetched.cpu + hashed.cpu};
  }

  Sample WithManager(bool keep = false) { return ManagerRun(Fresh("manager"), keep); }

  Sample ManagerRun(const fs::path& target, bool keep) {
    host.downloadFolder = target.string() + "/";
    rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    const double start = Now();
    double wall = 0;
    bool completed = false;
    {
      cMgrDownloader manager(host);
      manager.Start();
      while (manager.running) platform::SleepMs(5);
      wall = Now() - start;
      getrusage(RUSAGE_SELF, &after);
      completed = manager.completed == 1;
    }
    if (!completed) {
      std::fprintf(stderr, "the manager's run did not complete\n");
      std::exit(1);
    }
    if (!keep) Verify(target, "manager");
    return {wall, CpuOf(after) - CpuOf(before)};
  }

  Sample WithCurl() {
    const fs::path target = Fresh("curl");
    const Sample sample = CurlInto(target);
    Verify(target, "curl");
    return sample;
  }

  Sample CurlInto(const fs::path& target) {
    const fs::path list = folder_ / "curl-input.txt";
    FILE* input = std::fopen(list.c_str(), "w");
    for (const std::string& name : names_) {
      std::fprintf(input, "-o %s %s\n", (target / name).c_str(), nginx_.Url("/client/" + name).c_str());
    }
    std::fclose(input);
    return Run({"xargs", "-P4", "-L1", "curl", "--silent", "--show-error", "--fail", "--create-dirs"},
               list.string());
  }

  Sample WithAria2() {
    const fs::path target = Fresh("aria2c");
    FILE* list = std::fopen((folder_ / "aria2-input.txt").c_str(), "w");
    for (const std::string& name : names_) {
      std::fprintf(list, "%s\n  out=%s\n", nginx_.Url("/client/" + name).c_str(), name.c_str());
    }
    std::fclose(list);
    const Sample sample = Run({"aria2c", "--quiet", "-j4", "-x1", "--file-allocation=none", "--allow-overwrite=true",
                               "--auto-file-renaming=false", "-d", target.string(), "-i",
                               (folder_ / "aria2-input.txt").string()});
    Verify(target, "aria2c");
    return sample;
  }

  static bool Installed(const char* program) {
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }

 private:
  fs::path Fresh(const char* name) {
    const fs::path target = folder_ / "fetched" / name;
    fs::remove_all(target);
    fs::create_directories(target);
    return target;
  }

  void Verify(const fs::path& target, const char* who) {
    const int64_t bytes = FolderBytes(target);
    if (bytes != totalBytes_) {
      std::fprintf(stderr, "%s fetched %lld of %lld bytes\n", who, static_cast<long long>(bytes),
                   static_cast<long long>(totalBytes_));
      std::exit(1);
    }
    fs::remove_all(target);
  }

  // Runs a program (with `input` as its standard input, when given) and
  // measures it with all its children.
  static Sample Run(const std::vector<std::string>& arguments, const std::string& input = "",
                    const std::string& output = "") {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty()) posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    if (!output.empty()) posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY, 0);
    const double start = Now();
    pid_t pid;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      std::perror(argv[0]);
      std::exit(1);
    }
    int status = 0;
    rusage usage;
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "%s failed\n", argv[0]);
      std::exit(1);
    }
    return {Now() - start, CpuOf(usage)};
  }

  fs::path folder_;
  cNginxServer& nginx_;
  std::vector<std::string> names_;
  int64_t totalBytes_ = 0;
};

void Large(cBench& bench, int rounds) {
  bench.Publish(8, 128 * kMiB);
  const bool aria2 = cBench::Installed("aria2c");
  bench.WithCurl();  // untimed: the sources into the page cache
  std::vector<double> managerWall, managerCpu, curlWall, curlCpu, ariaWall, ariaCpu;
  std::printf("large: 8 files x 128 MiB\n%-6s %-8s %10s %10s %10s\n", "round", "client", "wall s", "cpu s", "MiB/s");
  for (int round = 1; round <= rounds; ++round) {
    auto report = [&](const char* who, const Sample& s, std::vector<double>& wall, std::vector<double>& cpu) {
      wall.push_back(s.wall);
      cpu.push_back(s.cpu);
      std::printf("%-6d %-8s %10.3f %10.3f %10.1f\n", round, who, s.wall, s.cpu, 1024.0 / s.wall);
      std::fflush(stdout);
    };
    report("manager", bench.WithManager(), managerWall, managerCpu);
    report("curl", bench.WithCurl(), curlWall, curlCpu);
    if (aria2) report("aria2c", bench.WithAria2(), ariaWall, ariaCpu);
  }
  double bestWall = Median(curlWall), bestCpu = Median(curlCpu);
  if (aria2) {
    bestWall = std::min(bestWall, Median(ariaWall));
    bestCpu = std::min(bestCpu, Median(ariaCpu));
  }
  std::printf("median wall: manager %.3f s, curl %.3f s%s; manager / best %.3f\n", Median(managerWall),
              Median(curlWall), aria2 ? (", aria2c " + std::to_string(Median(ariaWall)) + " s").c_str() : "",
              Median(managerWall) / bestWall);
  std::printf("median cpu:  manager %.3f s, curl %.3f s%s; manager / best %.3f\n", Median(managerCpu),
              Median(curlCpu), aria2 ? (", aria2c " + std::to_string(Median(ariaCpu)) + " s").c_str() : "",
              Median(managerCpu) / bestCpu);
}

void Verified(cBench& bench, int rounds) {
  bench.Publish(8, 128 * kMiB);
  bench.WithCurl();  // untimed: the sources into the page cache
  constexpr int kRuns = 6;
  std::vector<double> wall[kRuns], cpu[kRuns];
  const char* names[kRuns] = {"manager, digests", "manager, sizes only", "curl -P4 + sha256sum",
                              "Start over complete",  "same, no record",     "cat of the files"};
  std::printf("verify: 8 files x 128 MiB\n%-6s %-22s %10s %10s\n", "round", "run", "wall s", "cpu s");
  for (int round = 1; round <= rounds; ++round) {
    Sample samples[kRuns];
    samples[0] = bench.WithManager(true);
    samples[3] = bench.OverCompleteClient(true);
    samples[4] = bench.OverCompleteClient(false);
    samples[5] = bench.CatOfClient();
    bench.UseDigests(false);
    samples[1] = bench.WithManager();
    bench.UseDigests(true);
    samples[2] = bench.WithCurlAndSha256sum();
    for (int i = 0; i < kRuns; ++i) {
      wall[i].push_back(samples[i].wall);
      cpu[i].push_back(samples[i].cpu);
      std::printf("%-6d %-22s %10.3f %10.3f\n", round, names[i], samples[i].wall, samples[i].cpu);
    }
    std::fflush(stdout);
  }
  std::printf("medians:\n");
  for (int i = 0; i < kRuns; ++i) {
    std::printf("  %-22s wall %.3f s, cpu %.3f s\n", names[i], Median(wall[i]), Median(cpu[i]));
  }
  std::printf("manager with digests / curl + sha256sum: wall %.3f, cpu %.3f\n", Median(wall[0]) / Median(wall[2]),
              Median(cpu[0]) / Median(cpu[2]));
  std::printf("Start over the complete client without its record / cat: wall %.3f\n",
              Median(wall[4]) / Median(wall[5]));
}

void Small(cBench& bench) {
  bench.Publish(1000, 4096);
  const Sample sample = bench.WithManager();
  std::printf("small: 1,000 files x 4 KiB: wall %.3f s, cpu %.3f s; %.0f files a second\n", sample.wall, sample.cpu,
              1000 / sample.wall);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string which = argc > 1 ? argv[1] : "all";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  platform::SetMessageBoxHandler(CountBox);

  const fs::path folder = fs::temp_directory_path() / ("manager-benchmark-" + std::to_string(getpid()));
  fs::create_directories(folder / "www");
  fs::create_directories(folder / "work");
  host.workFolder = (folder / "work").string() + "/";
  host.resourceFolder = host.workFolder;
  cQuietWindow window;
  host.window = &window;

  int code = 0;
  {
    cNginxServer nginx;
    if (!nginx.Start((folder / "www").string(), (folder / "nginx").string())) {
      std::fprintf(stderr, "nginx did not start\n");
      code = 1;
    } else {
      cBench bench(folder, nginx);
      if (which == "large" || which == "all") Large(bench, rounds);
      if (which == "small" || which == "all") Small(bench);
      if (which == "verify") Verified(bench, rounds);
    }
  }
  platform::SetCurrentFolder(fs::temp_directory_path().c_str());
  host.window = nullptr;
  fs::remove_all(folder);
  return code;
}
