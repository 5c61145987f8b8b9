// The figures and their texts: the bar's, the panel's, a tick's, the free-space reports.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

#include "tests/ui/ui_values.h"
#include "ui/figures.h"

// What `format` writes for `value`, in ASCII.
template <class Value, int capacity>
std::string Written(void (*format)(Value, WideChar (&)[capacity]), std::common_type_t<Value> value) {
  WideChar text[capacity];
  format(value, text);
  return Narrow(text);
}

std::string FreeSpace(int64_t required, bool known, int64_t free) {
  char text[512];
  FormatFreeSpaceText(required, known, free, text, sizeof text);
  return text;
}

TEST(Figures, Texts) {
  const auto rate = FormatRateText;
  const auto speed = FormatSpeedText;
  const auto size = FormatSizeText;
  const auto time = FormatTimeText;
  const int64_t MiB = 1 << 20;
  char noSpace[512];
  FormatNoSpaceText("D:\\Games\\", noSpace, sizeof noSpace);
  const struct {
    std::string got;
    const char* expected;
  } cases[] = {
      {Written(rate, 0), "0.00%"},            {Written(rate, 1234), "12.34%"},     {Written(rate, 5000), "50.00%"},
      {Written(rate, 10000), "100.00%"},      {Written(rate, 123456), "1234.6%"},
      {Written(rate, std::numeric_limits<int>::max()), "---"},  // no form of 7 characters
      {Written(speed, 0), "0.000 MiB/Sec"},   {Written(speed, 2.5f), "2.500 MiB/Sec"},
      {Written(speed, 999.5f), "999.500 MiB/Sec"},                {Written(speed, 1000), "1000.00 MiB/Sec"},
      {Written(speed, 123456.5f), "123456 MiB/Sec"},              {Written(speed, 5e7f), "48828 GiB/Sec"},
      {Written(size, 0), "0.0 MBytes"},       {Written(size, 3 * MiB / 2), "1.5 MBytes"},
      {Written(size, 10000 * MiB), "10000.0 MBytes"},             {Written(size, 999999 * MiB), "999999.0 MBytes"},
      {Written(size, 1000000 * MiB), "1000000 MBytes"},           {Written(size, 2000000000 * MiB), "1953125 GBytes"},
      {Written(time, 0), "00:00:00"},         {Written(time, 3661), "01:01:01"},   {Written(time, 360000), "100:00:00"},
      {Written(time, 4294967295u), "1193046:28:15"},
      {FreeSpace(3221225472LL, true, 1610612736LL), "At least 3.000GB is required.\nYour free space : 1.500GB"},
      {FreeSpace(3221225472LL, false, 1610612736LL), "At least 3.000GB is required.\nYour free space : cannot be read"},
      {FreeSpace(1LL << 60, true, std::numeric_limits<int64_t>::max()),
       "At least 1073741824.000GB is required.\nYour free space : 8589934592.000GB"},
      {noSpace,
       "This disk drive(D:) does not have enough capacity.\nPlease change the download folder or free up capacity.   "},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(Figures, FillAndSpace) {
  const int fills[][2] = {{0, 0}, {1234, 72}, {5000, 292}, {10000, 584}, {123456, 7209},
                          {std::numeric_limits<int>::max(), 125413044}};
  for (const auto& f : fills) EXPECT_EQ(FillWidth(586, f[0]), f[1]) << f[0];
  EXPECT_FALSE(EnoughSpace(3221225472LL, 3221225472LL));  // exactly the total is too little
  EXPECT_TRUE(EnoughSpace(3221225473LL, 3221225472LL));
}

TEST(Figures, TickFigures) {
  const int64_t GiB = 1LL << 30;
  struct TickCase {
    const char* what;
    int64_t total, progress, received;
    uint32_t elapsedMs;
    TransferFigures expected;
  } ticks[] = {
      {"first second", 4 * GiB, GiB, 5000000, 999, {0, 0, 0.0f, 2500}},
      {"a quarter at 1 MiB/s", 4 * GiB, GiB, 100 * (1 << 20), 100500, {100, 3072, 1048576.0f, 2500}},
      {"complete", GiB, GiB, GiB, 4000, {4, 0, 268435456.0f, 10000}},
      {"100 hours", GiB, 0, 0, 360000000u, {360000, 0, 0.0f, 0}},
      {"more than announced", GiB, 2 * GiB, 2 * GiB, 2000, {2, 0, 1073741824.0f, 20000}},
      {"no total", 0, 0, 0, 5000, {5, 0, 0.0f, 0}},
  };
  for (const TickCase& c : ticks) {
    // The panel's ticks and the final refresh take them from the counters.
    const TransferCounters counters = {true, false, c.total, c.progress, c.received, c.elapsedMs};
    for (const TransferFigures& f : {ComputeTransferFigures(c.total, c.progress, c.received, c.elapsedMs),
                                     ComputeTransferFigures(counters)}) {
      EXPECT_EQ(f.elapsedSeconds, c.expected.elapsedSeconds) << c.what;
      EXPECT_EQ(f.remainingSeconds, c.expected.remainingSeconds) << c.what;
      EXPECT_FLOAT_EQ(f.bytesPerSecond, c.expected.bytesPerSecond) << c.what;
      EXPECT_EQ(f.rate, c.expected.rate) << c.what;
    }
  }
  // Conversions that would be undefined or wrap give defined counts.
  EXPECT_EQ(RemainingSeconds(GiB, 0, std::numeric_limits<float>::infinity()), 0u);
  EXPECT_EQ(RemainingSeconds(GiB, 0, std::nanf("")), 0u);
  EXPECT_EQ(RemainingSeconds(std::numeric_limits<int64_t>::max(), 0, 1e-30f), std::numeric_limits<uint32_t>::max());
  EXPECT_EQ(RateOf(std::numeric_limits<int64_t>::max(), 1), std::numeric_limits<int>::max());
}
