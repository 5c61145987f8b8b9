// manifest-tool: writes and checks "file.json", the manifest the downloader
// reads to fetch a client. See README.md, "Publishing a client".

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/out_of_memory.h"
#include "tools/manifest/checker.h"
#include "tools/manifest/writer.h"

namespace {

enum ExitCode { kOk = 0, kProblemsFound = 1, kUsage = 2 };

const char kUsageText[] =
    "usage:\n"
    "  manifest-tool write FOLDER --url URL [--version N] [--output FILE]\n"
    "      Lists every file below FOLDER in a manifest (default output: file.json in the\n"
    "      current folder). URL is where the files of FOLDER lie on the server; it ends\n"
    "      with '/'. Without --version the manifest gets the version stored in FILE plus 1\n"
    "      (1 for a first one). Nothing is written when any file cannot be carried; every\n"
    "      such file is named.\n"
    "  manifest-tool check FILE [--folder FOLDER]\n"
    "      Reports every problem the downloader would meet with the manifest FILE, and the\n"
    "      launch target it would pick. With --folder, also compares it with the files there.\n"
    "exit codes: 0 fine, 1 refused or problems found, 2 usage error\n";

// A failed allocation is told on stderr, like the tool's other failures.
int PrintOutOfMemory(const char* text, unsigned) {
  std::fprintf(stderr, "manifest-tool: %s\n", text);
  return 0;
}

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "manifest-tool: %s\n", problem);
  std::fputs(kUsageText, stderr);
  return kUsage;
}

bool ParseVersion(const char* text, int32_t* version) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno || end == text || *end || value < 0 || value > INT32_MAX) return false;
  *version = static_cast<int32_t>(value);
  return true;
}

int Write(int argc, char** argv) {
  manifest_tool::WriteRequest request{"", "", "file.json", false, 0};
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--url" && hasValue) {
      request.url = argv[++i];
    } else if (option == "--output" && hasValue) {
      request.output = argv[++i];
    } else if (option == "--version" && hasValue) {
      if (!ParseVersion(argv[++i], &request.version)) return Usage("--version takes a number from 0 to 2147483647");
      request.hasVersion = true;
    } else if (option.compare(0, 2, "--") != 0 && request.folder.empty()) {
      request.folder = option;
    } else {
      return Usage(("unexpected argument: " + option).c_str());
    }
  }
  if (request.folder.empty() || request.url.empty()) return Usage("write needs a FOLDER and --url");

  const manifest_tool::WriteOutcome outcome = manifest_tool::WriteManifest(request);
  if (!outcome.written) {
    std::fprintf(stderr, "manifest-tool: nothing written to %s:\n", request.output.c_str());
    for (const std::string& refusal : outcome.refusals) std::fprintf(stderr, "  %s\n", refusal.c_str());
    return kProblemsFound;
  }
  std::printf("%s: version %d, %d files, %lld bytes\n", request.output.c_str(), outcome.version, outcome.fileCount,
              static_cast<long long>(outcome.totalSize));
  return kOk;
}

int Check(int argc, char** argv) {
  std::string manifest;
  std::string folder;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--folder" && i + 1 < argc) {
      folder = argv[++i];
    } else if (option.compare(0, 2, "--") != 0 && manifest.empty()) {
      manifest = option;
    } else {
      return Usage(("unexpected argument: " + option).c_str());
    }
  }
  if (manifest.empty()) return Usage("check needs a FILE");

  const manifest_tool::CheckReport report = manifest_tool::CheckManifest(manifest, folder);
  for (const std::string& note : report.notes) std::printf("%s: %s\n", manifest.c_str(), note.c_str());
  for (const std::string& problem : report.problems) std::printf("%s: problem: %s\n", manifest.c_str(), problem.c_str());
  if (!report.problems.empty()) {
    std::printf("%s: %zu problem(s)\n", manifest.c_str(), report.problems.size());
    return kProblemsFound;
  }
  std::printf("%s: fine\n", manifest.c_str());
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  platform::ExitWhenOutOfMemory(PrintOutOfMemory);
  if (argc < 2) return Usage(nullptr);
  const std::string command = argv[1];
  if (command == "write") return Write(argc, argv);
  if (command == "check") return Check(argc, argv);
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsageText, stdout);
    return kOk;
  }
  return Usage(("unknown command: " + command).c_str());
}
