#include "ui/figures.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// One form of a figure: the value is divided by `divisor`, then printed
// with `format` (one double argument).
struct Form {
  double divisor;
  const char* format;
};

// Prints `value` in the first form that fits `capacity` code units with the
// terminator. The texts are ASCII, so each byte becomes one code unit.
template <int capacity>
void FormatFitting(double value, const Form* forms, int formCount, WideChar (&text)[capacity]) {
  char narrow[64];
  int length = -1;
  for (int i = 0; i < formCount; ++i) {
    length = std::snprintf(narrow, sizeof narrow, forms[i].format, value / forms[i].divisor);
    if (length >= 0 && length < capacity) break;
    length = -1;
  }
  if (length < 0) {
    // Beyond every form (only an absurd value gets here): a plain marker.
    std::snprintf(narrow, sizeof narrow, "%s", "---");
    length = 3;
  }
  for (int i = 0; i <= length; ++i) text[i] = static_cast<unsigned char>(narrow[i]);
}

// A float that may be out of range, not finite or negative, as a count:
// 0 for what has no meaning, the largest count for what is too large.
uint32_t ToCount(double value) {
  if (!(value > 0)) return 0;  // also NaN
  if (value >= 4294967295.0) return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(value);
}

}  // namespace

void FormatRateText(int rate, WideChar (&text)[kRateTextCapacity]) {
  static const Form kForms[] = {{1, "%.02f%%"}, {1, "%.01f%%"}, {1, "%.0f%%"}};
  FormatFitting(static_cast<float>(rate) / 100, kForms, 3, text);
}

void FormatSpeedText(float mibPerSecond, WideChar (&text)[kFigureTextCapacity]) {
  static const Form kForms[] = {{1, "%.03f MiB/Sec"}, {1, "%.02f MiB/Sec"}, {1, "%.01f MiB/Sec"},
                                {1, "%.0f MiB/Sec"},  {1024, "%.0f GiB/Sec"}, {1048576, "%.0f TiB/Sec"}};
  FormatFitting(mibPerSecond, kForms, 6, text);
}

void FormatSizeText(int64_t bytes, WideChar (&text)[kFigureTextCapacity]) {
  static const Form kForms[] = {{1, "%03.1f MBytes"}, {1, "%.0f MBytes"}, {1024, "%.1f GBytes"},
                                {1024, "%.0f GBytes"}, {1048576, "%.0f TBytes"}};
  FormatFitting(static_cast<double>(bytes) / kBytesPerMiB, kForms, 5, text);
}

void FormatTimeText(uint32_t seconds, WideChar (&text)[kFigureTextCapacity]) {
  char narrow[kFigureTextCapacity];
  // At most 1193046:28:15 (13 characters): always fits.
  const int length = std::snprintf(narrow, sizeof narrow, "%02u:%02u:%02u", seconds / 3600, (seconds / 60) % 60,
                                   seconds % 60);
  for (int i = 0; i <= length; ++i) text[i] = static_cast<unsigned char>(narrow[i]);
}

int FillWidth(int barWidth, int rate) {
  const int64_t width = static_cast<int64_t>(barWidth - 2) * rate / 10000;
  if (width < 0) return 0;
  return width > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(width);
}

int RateOf(int64_t progress, int64_t total) {
  if (total <= 0) return 0;
  const float percent = static_cast<float>(static_cast<double>(progress) * 100.0 / static_cast<double>(total));
  const float hundredths = percent * 100.0f;
  if (!(hundredths > 0)) return 0;
  // More bytes than announced may pass 10000; a billion-fold excess is cut.
  if (hundredths >= 2147483520.0f) return std::numeric_limits<int>::max();
  return static_cast<int>(hundredths);
}

float AverageSpeed(int64_t receivedBytes, uint32_t elapsedMs) {
  const uint32_t seconds = elapsedMs / 1000;
  if (seconds == 0) return 0.0f;
  return static_cast<float>(static_cast<double>(receivedBytes)) / static_cast<float>(seconds);
}

uint32_t RemainingSeconds(int64_t total, int64_t progress, float bytesPerSecond) {
  if (!(bytesPerSecond > 0) || !std::isfinite(bytesPerSecond)) return 0;
  const float left = static_cast<float>(static_cast<double>(total - progress));
  return ToCount(left / bytesPerSecond);
}

TransferFigures ComputeTransferFigures(int64_t total, int64_t progress, int64_t received, uint32_t elapsedMs) {
  TransferFigures figures;
  figures.elapsedSeconds = elapsedMs / 1000;
  figures.bytesPerSecond = AverageSpeed(received, elapsedMs);
  figures.remainingSeconds = RemainingSeconds(total, progress, figures.bytesPerSecond);
  figures.rate = RateOf(progress, total);
  return figures;
}

TransferFigures ComputeTransferFigures(const TransferCounters& counters) {
  return ComputeTransferFigures(counters.totalBytes, counters.progressBytes, counters.receivedBytes,
                                counters.elapsedMs);
}

void FormatFreeSpaceText(int64_t requiredBytes, bool freeKnown, int64_t freeBytes, char* text, unsigned capacity) {
  // The largest count, 2^63 - 1 bytes, is 8589934592.000GB.
  char freeText[32] = "cannot be read";
  if (freeKnown) std::snprintf(freeText, sizeof freeText, "%.3fGB", static_cast<double>(freeBytes) / kBytesPerGB);
  std::snprintf(text, capacity, "At least %.3fGB is required.\nYour free space : %s",
                static_cast<double>(requiredBytes) / kBytesPerGB, freeText);
}

void FormatNoSpaceText(const char* downloadFolder, char* text, unsigned capacity) {
  std::snprintf(text, capacity,
                "This disk drive(%.2s) does not have enough capacity.\n"
                "Please change the download folder or free up capacity.   ",
                downloadFolder);
}
