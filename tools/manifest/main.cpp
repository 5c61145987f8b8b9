// manifest-tool: writes and checks "file.json", the manifest the downloader
// reads to fetch a client. See README.md, "Publishing a client".

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/out_of_memory.h"
#include "tools/manifest/checker.h"
#include "tools/manifest/signing.h"
#include "tools/manifest/writer.h"

namespace {

enum ExitCode { kOk = 0, kProblemsFound = 1, kUsage = 2 };

const char kUsageText[] =
    "usage:\n"
    "  manifest-tool write FOLDER --url URL [--mirror URL]... [--version N] [--expires DAYS]\n"
    "                     [--output FILE]\n"
    "      Lists every file below FOLDER in a manifest (default output: file.json in the\n"
    "      current folder). URL is where the files of FOLDER lie on the server; it ends\n"
    "      with '/'. Each --mirror names another server with the same files, tried in\n"
    "      turn when a file's server fails it. Without --version the manifest gets the\n"
    "      version stored in FILE plus 1 (1 for a first one). --expires: the downloader\n"
    "      refuses the manifest DAYS days from now. Nothing is written when any file cannot\n"
    "      be carried; every such file is named. Sign the manifest afterwards: any change\n"
    "      to it needs a new signature.\n"
    "  manifest-tool check FILE [--folder FOLDER] [--public KEY]\n"
    "      Reports every problem the downloader would meet with the manifest FILE, and the\n"
    "      launch target it would pick. With --folder, also compares it with the files there.\n"
    "      With --public, also checks that FILE.sig signs FILE by that public key.\n"
    "  manifest-tool keygen --private FILE --public FILE\n"
    "      Makes an ECDSA P-256 key pair: the private key (PKCS#8 PEM, readable by you\n"
    "      only) to sign with, the public key (PEM) the downloader is built with\n"
    "      (DOWNLOADER_MANIFEST_KEYS).\n"
    "  manifest-tool sign MANIFEST --key FILE\n"
    "      Signs the exact bytes of MANIFEST with the private key FILE into MANIFEST.sig,\n"
    "      which is published beside it.\n"
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

// "Expires" DAYS days from now, to the second, in UTC.
bool ExpiryFromDays(const char* text, std::string* expires) {
  char* end = nullptr;
  errno = 0;
  const long days = std::strtol(text, &end, 10);
  if (errno || end == text || *end || days < 1 || days > 36500) return false;
  const std::time_t when = std::time(nullptr) + static_cast<std::time_t>(days) * 86400;
  char formatted[32];
  const std::tm* utc = std::gmtime(&when);
  if (!utc || std::strftime(formatted, sizeof formatted, "%Y-%m-%dT%H:%M:%SZ", utc) == 0) return false;
  *expires = formatted;
  return true;
}

int Write(int argc, char** argv) {
  manifest_tool::WriteRequest request{"", "", "file.json", false, 0, ""};
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--url" && hasValue) {
      request.url = argv[++i];
    } else if (option == "--mirror" && hasValue) {
      request.mirrors.emplace_back(argv[++i]);
    } else if (option == "--output" && hasValue) {
      request.output = argv[++i];
    } else if (option == "--version" && hasValue) {
      if (!ParseVersion(argv[++i], &request.version)) return Usage("--version takes a number from 0 to 2147483647");
      request.hasVersion = true;
    } else if (option == "--expires" && hasValue) {
      if (!ExpiryFromDays(argv[++i], &request.expires)) {
        return Usage("--expires takes a number of days from 1 to 36500");
      }
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
  std::string publicKey;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--folder" && i + 1 < argc) {
      folder = argv[++i];
    } else if (option == "--public" && i + 1 < argc) {
      publicKey = argv[++i];
    } else if (option.compare(0, 2, "--") != 0 && manifest.empty()) {
      manifest = option;
    } else {
      return Usage(("unexpected argument: " + option).c_str());
    }
  }
  if (manifest.empty()) return Usage("check needs a FILE");

  manifest_tool::CheckReport report = manifest_tool::CheckManifest(manifest, folder);
  if (!publicKey.empty()) {
    std::string error;
    if (manifest_tool::VerifyManifest(manifest, publicKey, &error)) {
      report.notes.push_back("signed by " + publicKey);
    } else {
      report.problems.push_back(error + ": the downloader refuses it");
    }
  }
  for (const std::string& note : report.notes) std::printf("%s: %s\n", manifest.c_str(), note.c_str());
  for (const std::string& problem : report.problems) std::printf("%s: problem: %s\n", manifest.c_str(), problem.c_str());
  if (!report.problems.empty()) {
    std::printf("%s: %zu problem(s)\n", manifest.c_str(), report.problems.size());
    return kProblemsFound;
  }
  std::printf("%s: fine\n", manifest.c_str());
  return kOk;
}

// From argv[2] on: the values of the options `names`, in that order, each
// required once, and the plain arguments in `plain`. False for anything else.
bool ReadOptions(int argc, char** argv, std::initializer_list<const char*> names, std::vector<std::string>* values,
                 std::vector<std::string>* plain) {
  values->assign(names.size(), "");
  for (int i = 2; i < argc; ++i) {
    const std::string argument = argv[i];
    size_t index = 0;
    for (const char* name : names) {
      if (argument == name) break;
      ++index;
    }
    if (index < names.size() && i + 1 < argc && (*values)[index].empty()) {
      (*values)[index] = argv[++i];
    } else if (argument.compare(0, 2, "--") != 0) {
      plain->push_back(argument);
    } else {
      return false;
    }
  }
  for (const std::string& value : *values) {
    if (value.empty()) return false;
  }
  return true;
}

int KeyGen(int argc, char** argv) {
  std::vector<std::string> paths;
  std::vector<std::string> plain;
  if (!ReadOptions(argc, argv, {"--private", "--public"}, &paths, &plain) || !plain.empty()) {
    return Usage("keygen needs --private FILE and --public FILE");
  }
  if (!manifest_tool::CanSign()) return Usage("keygen needs the native build of manifest-tool");
  std::string error;
  if (!manifest_tool::MakeKeyPair(paths[0], paths[1], &error)) {
    std::fprintf(stderr, "manifest-tool: %s\n", error.c_str());
    return kProblemsFound;
  }
  std::printf("%s: private key (keep it off the content server)\n%s: public key\n", paths[0].c_str(),
              paths[1].c_str());
  return kOk;
}

int Sign(int argc, char** argv) {
  std::vector<std::string> key;
  std::vector<std::string> plain;
  if (!ReadOptions(argc, argv, {"--key"}, &key, &plain) || plain.size() != 1) {
    return Usage("sign needs a MANIFEST and --key FILE");
  }
  if (!manifest_tool::CanSign()) return Usage("sign needs the native build of manifest-tool");
  std::string error;
  if (!manifest_tool::SignManifest(plain[0], key[0], &error)) {
    std::fprintf(stderr, "manifest-tool: nothing signed: %s\n", error.c_str());
    return kProblemsFound;
  }
  std::printf("%s.sig: signature of %s\n", plain[0].c_str(), plain[0].c_str());
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  platform::ExitWhenOutOfMemory(PrintOutOfMemory);
  if (argc < 2) return Usage(nullptr);
  const std::string command = argv[1];
  if (command == "write") return Write(argc, argv);
  if (command == "check") return Check(argc, argv);
  if (command == "keygen") return KeyGen(argc, argv);
  if (command == "sign") return Sign(argc, argv);
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsageText, stdout);
    return kOk;
  }
  return Usage(("unknown command: " + command).c_str());
}
