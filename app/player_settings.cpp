#include "app/player_settings.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/app.h"
#include "platform/files.h"
#include "platform/owned_file.h"

namespace {

const char kSpeedLimitKey[] = "speed-limit=";
// 15 digits: about 900 TB/s, beyond any link, and far from overflowing.
const int kMaxDigits = 15;
// The file holds a few short lines; anything larger is not ours.
const size_t kMaxFileBytes = 4096;

// The path of settings.txt; false when it does not fit (a cut path would
// name some other file).
bool SettingsFilePath(char* buffer, size_t capacity) {
  // workFolder ends in a separator already; the doubled one is harmless.
  const int length = std::snprintf(buffer, capacity, "%s\\settings.txt", theApp->workFolder);
  return length > 0 && static_cast<size_t>(length) < capacity;
}

// The next line of a text after `line`, or null after the last.
const char* NextLine(const char* line) {
  const char* lineFeed = std::strchr(line, '\n');
  return lineFeed ? lineFeed + 1 : nullptr;
}

}  // namespace

bool ParseSpeedLimit(const char* text, int64_t* limit) {
  for (const char* line = text; line && *line; line = NextLine(line)) {
    if (std::strncmp(line, kSpeedLimitKey, sizeof kSpeedLimitKey - 1) != 0) continue;
    const char* digit = line + sizeof kSpeedLimitKey - 1;
    int64_t value = 0;
    int digits = 0;
    for (; *digit >= '0' && *digit <= '9' && digits < kMaxDigits; ++digit, ++digits) {
      value = value * 10 + (*digit - '0');
    }
    // A line edited on Windows may end in "\r\n".
    if (*digit == '\r') ++digit;
    if (digits == 0 || (*digit != '\n' && *digit != 0)) return false;
    *limit = value;
    return true;
  }
  return false;
}

void ReadSettingsFile() {
  char path[300];
  if (!SettingsFilePath(path, sizeof path)) return;
  std::string text;
  // A full buffer or a zero byte: not a file of ours.
  if (!platform::ReadFileUpTo(path, kMaxFileBytes, &text) || text.size() == kMaxFileBytes ||
      text.find('\0') != std::string::npos) {
    return;
  }
  int64_t limit = 0;
  if (ParseSpeedLimit(text.c_str(), &limit)) theApp->speedLimit.store(limit);
}

void WriteSettingsFile() {
  char path[300];
  if (!SettingsFilePath(path, sizeof path)) return;
  platform::OwnedFile file(platform::OpenFile(path, "wb"));
  if (!file) return;
  std::fprintf(file.get(), "%s%" PRId64 "\n", kSpeedLimitKey, theApp->speedLimit.load());
  std::fflush(file.get());
}
