#include "download/transfer_log.h"

#include <cstdio>

#include "app/app.h"
#include "platform/files.h"

namespace {

constexpr char kLogFileName[] = "qzloader.log";

}  // namespace

void AppendTransferLog(const char* buildStamp, const char* message) {
  if (!theApp) return;
  // workFolder ends with its separator already; the doubled one is harmless.
  char path[261];
  const int pathLength = std::snprintf(path, sizeof path, "%s\\%s", theApp->workFolder, kLogFileName);
  // A cut path would name another file: drop the line instead.
  if (pathLength < 0 || pathLength >= static_cast<int>(sizeof path)) return;

  char line[32 + kTransferLogMessageMax + 2];
  std::snprintf(line, sizeof line, "%.31s %.*s\n", buildStamp, kTransferLogMessageMax, message);

  FILE* log = platform::OpenFile(path, "a");
  if (!log) return;
  std::fputs(line, log);
  std::fflush(log);
  std::fclose(log);
}
