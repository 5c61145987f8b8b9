#include "download/transfer_log.h"

#include <cstdio>
#include <mutex>

#include "platform/files.h"
#include "platform/owned_file.h"

namespace {

constexpr char kLogFileName[] = "qzloader.log";

// The run's lanes log at the same moment (four files found on disk at a
// Start). The C runtime on Windows seeks to the end and then writes, so two
// appends at once would write over each other: one line at a time.
std::mutex appendLock;

}  // namespace

void AppendTransferLog(const char* workFolder, const char* buildStamp, const char* message) {
  if (!workFolder) return;
  // workFolder ends with its separator already; the doubled one is harmless.
  char path[261];
  const int pathLength = std::snprintf(path, sizeof path, "%s\\%s", workFolder, kLogFileName);
  // A cut path would name another file: drop the line instead.
  if (pathLength < 0 || pathLength >= static_cast<int>(sizeof path)) return;

  char line[32 + kTransferLogMessageMax + 2];
  std::snprintf(line, sizeof line, "%.31s %.*s\n", buildStamp, kTransferLogMessageMax, message);

  const std::lock_guard<std::mutex> guard(appendLock);
  const platform::OwnedFile log(platform::OpenFile(path, "a"));
  if (!log) return;
  std::fputs(line, log.get());
  std::fflush(log.get());
}
