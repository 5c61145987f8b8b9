#pragma once
// The figures the window shows, computed and formatted without any window:
// the progress bar's percentage, fill and speed, the panel's times and sizes,
// and the free-space report of the folder commands. The windows only draw
// what these give them.
//
// Drawn texts go into fixed UTF-16 buffers. A figure whose usual form does
// not fit its buffer is shown in a shorter form (fewer decimals, then a
// larger unit), never cut and never empty.

#include <cstdint>

#include "platform/wide_text.h"

constexpr int kRateTextCapacity = 8;     // "100.00%"
constexpr int kFigureTextCapacity = 16;  // "0.000 MiB/Sec", "000.0 MBytes", "00:00:00"
constexpr double kBytesPerMiB = 1048576.0;
constexpr double kBytesPerGB = 1073741824.0;

// Copies an ASCII text, cut to the buffer, into a drawn-text buffer.
template <int capacity>
void SetAsciiText(WideChar (&text)[capacity], const char* ascii) {
  int i = 0;
  for (; i < capacity - 1 && ascii[i]; ++i) text[i] = static_cast<unsigned char>(ascii[i]);
  text[i] = 0;
}

// "%.02f%%" of rate / 100: 1234 gives "12.34%", 10000 "100.00%". Rates of
// 1000% and more (more bytes than the manifest announced) drop decimals.
void FormatRateText(int rate, WideChar (&text)[kRateTextCapacity]);

// "%.03f MiB/Sec": 2.5 gives "2.500 MiB/Sec". From 1000 MiB/s on the form
// has no room for three decimals: "1000.00 MiB/Sec", then fewer.
void FormatSpeedText(float mibPerSecond, WideChar (&text)[kFigureTextCapacity]);

// "%03.1f MBytes" of a byte count in MiB: 1.5 MiB gives "1.5 MBytes". From a
// million MiB on: "1000000 MBytes", then GBytes (1024 MiB).
void FormatSizeText(int64_t bytes, WideChar (&text)[kFigureTextCapacity]);

// "%02d:%02d:%02d": hours are not limited to two digits (100:00:00).
void FormatTimeText(uint32_t seconds, WideChar (&text)[kFigureTextCapacity]);

// The progress bar's filled width: (barWidth - 2) * rate / 10000, truncated,
// without overflow for any rate; never negative.
int FillWidth(int barWidth, int rate);

// Progress in hundredths of a percent: progress * 100 / total in double,
// then as a float times 100, truncated (a quarter gives 2500, all 10000).
// 0 when the total is not positive; bounded for absurd counts.
int RateOf(int64_t progress, int64_t total);

// The average speed in bytes per second since a start `elapsedMs` ago: the
// bytes over the whole seconds elapsed, 0 during the first second.
float AverageSpeed(int64_t receivedBytes, uint32_t elapsedMs);

// Seconds still needed for the bytes between `progress` and `total` at
// `bytesPerSecond`. 0 when nothing is known (speed 0, not finite) or nothing
// remains (progress at or past the total); the largest count when the
// quotient exceeds it.
uint32_t RemainingSeconds(int64_t total, int64_t progress, float bytesPerSecond);

// A download's counters as one refresh reads them from its manager.
struct TransferCounters {
  bool running;           // the manager's thread goes on
  bool completed;         // every transfer has ended
  int64_t totalBytes;     // the manifest's total, 0 when it has none
  int64_t progressBytes;  // on disk at each transfer's start, plus received since
  int64_t receivedBytes;  // received over the network since the manager started
  uint32_t elapsedMs;     // since the manager's transfers began
};

// What the panel shows at a tick of a running download.
struct TransferFigures {
  uint32_t elapsedSeconds;
  uint32_t remainingSeconds;
  float bytesPerSecond;
  int rate;
};
TransferFigures ComputeTransferFigures(int64_t total, int64_t progress, int64_t received, uint32_t elapsedMs);
// The same of a download's counters: the one path of the window's figures,
// the panel's ticks and the main window's final refresh alike.
TransferFigures ComputeTransferFigures(const TransferCounters& counters);

// The folder dialog's report: "At least %.3fGB is required.\nYour free space :
// %.3fGB" (GB = 2^30 bytes), the free space "cannot be read" when it is not
// `freeKnown`, into a narrow buffer of `capacity` bytes.
void FormatFreeSpaceText(int64_t requiredBytes, bool freeKnown, int64_t freeBytes, char* text, unsigned capacity);

// Start's refusal for too little space, naming the drive by the folder's
// first two characters ("D:").
void FormatNoSpaceText(const char* downloadFolder, char* text, unsigned capacity);

// Free space suffices only when it is strictly larger than what the client
// needs: exactly the total is too little.
inline bool EnoughSpace(int64_t freeBytes, int64_t requiredBytes) { return freeBytes > requiredBytes; }
