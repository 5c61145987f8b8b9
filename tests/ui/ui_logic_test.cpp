// What the windows compute without a window: the button's state machine, the
// command row and its focus order, the figures and their texts, the parts a change repaints, and
// the shipped skin's geometry.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "json/json.h"
#include "ui/areas.h"
#include "ui/button_state.h"
#include "ui/command_row.h"
#include "ui/figures.h"
#include "ui/skin.h"
#include "ui/taskbar_progress.h"

namespace {

template <int capacity>
std::string Narrow(const WideChar (&text)[capacity]) {
  std::string out;
  for (int i = 0; i < capacity && text[i]; ++i) out += static_cast<char>(text[i]);
  return out;
}

TEST(ButtonStateMachine, EveryRowOfTheTable) {
  using E = ButtonEvent;
  struct Row {
    ButtonState from;
    E event;
    ButtonStep expected;
  };
  const Row rows[] = {
      // mouse moves with the left button held
      {Normal, E::kMoveHeld, {Down, true, false, false, false}},
      {Over, E::kMoveHeld, {Down, true, false, false, false}},
      {Down, E::kMoveHeld, {Down, false, false, false, false}},
      {Disabled, E::kMoveHeld, {Disabled, false, false, false, false}},
      // mouse moves, button up
      {Normal, E::kMove, {Over, true, false, false, false}},
      {Over, E::kMove, {Over, false, false, false, false}},
      {Down, E::kMove, {Over, true, false, false, false}},
      {Disabled, E::kMove, {Disabled, false, false, false, false}},
      // hover notice
      {Normal, E::kHover, {Over, false, false, false, false}},
      {Over, E::kHover, {Over, false, false, false, false}},
      {Down, E::kHover, {Over, false, false, false, false}},
      {Disabled, E::kHover, {Disabled, false, false, false, false}},
      // leave notice
      {Normal, E::kLeave, {Normal, false, false, false, false}},
      {Over, E::kLeave, {Normal, false, false, false, false}},
      {Down, E::kLeave, {Normal, false, false, false, false}},
      {Disabled, E::kLeave, {Disabled, false, false, false, false}},
      // left button down: a second press while down does not capture again
      {Normal, E::kPress, {Down, false, true, false, false}},
      {Over, E::kPress, {Down, false, true, false, false}},
      {Down, E::kPress, {Down, false, false, false, false}},
      {Disabled, E::kPress, {Disabled, false, false, false, false}},
      // left button up: only a release from Down may click
      {Normal, E::kRelease, {Normal, false, false, true, false}},
      {Over, E::kRelease, {Over, false, false, true, false}},
      {Down, E::kRelease, {Over, false, false, true, true}},
      {Disabled, E::kRelease, {Disabled, false, false, true, false}},
  };
  for (const Row& row : rows) {
    const ButtonStep step = NextButtonStep(row.from, row.event);
    SCOPED_TRACE(testing::Message() << "state " << row.from << ", event " << static_cast<int>(row.event));
    EXPECT_EQ(step.next, row.expected.next);
    EXPECT_EQ(step.trackMouse, row.expected.trackMouse);
    EXPECT_EQ(step.capture, row.expected.capture);
    EXPECT_EQ(step.releaseCapture, row.expected.releaseCapture);
    EXPECT_EQ(step.clickTest, row.expected.clickTest);
  }
}

TEST(ButtonStateMachine, ClickTestCountsTheRightAndBottomEdges) {
  struct Case {
    int x, y;
    bool click;
  } cases[] = {{0, 0, true}, {35, 15, true}, {70, 30, true}, {71, 30, false}, {70, 31, false},
               {-1, 10, false}, {10, -1, false}, {-300, -300, false}};
  for (const Case& c : cases) EXPECT_EQ(IsClickInside(c.x, c.y, 70, 30), c.click) << c.x << "," << c.y;
}

TEST(CommandRow, StatesAndTransitions) {
  struct Case {
    CommandRow from;
    RowEvent event;
    CommandRow to;
    const char* states;  // launch start pause cancel folder: E enabled, D disabled
  } cases[] = {
      {CommandRow::kReady, RowEvent::kStart, CommandRow::kDownloading, "DDEED"},
      {CommandRow::kReady, RowEvent::kStartRefused, CommandRow::kReady, "DEDEE"},
      {CommandRow::kDownloading, RowEvent::kPause, CommandRow::kPaused, "DEDEE"},
      {CommandRow::kPaused, RowEvent::kStart, CommandRow::kDownloading, "DDEED"},
      {CommandRow::kPaused, RowEvent::kStartRefused, CommandRow::kPaused, "DEDEE"},
      {CommandRow::kDownloading, RowEvent::kCompleted, CommandRow::kFinished, "EDDED"},
      // Files missing: back where Pause leaves the player, never Launch.
      {CommandRow::kDownloading, RowEvent::kIncomplete, CommandRow::kPaused, "DEDEE"},
  };
  for (const Case& c : cases) {
    const CommandRow next = NextRow(c.from, c.event);
    EXPECT_EQ(next, c.to) << static_cast<int>(c.from) << " + " << static_cast<int>(c.event);
    const RowStates s = StatesOf(next);
    std::string got;
    for (ButtonState b : {s.launch, s.start, s.pause, s.cancel, s.folder}) got += b == Normal ? 'E' : 'D';
    EXPECT_EQ(got, c.states);
  }
}

// Tab and Shift+Tab over the row's real situations (Pause disabled by its
// own press included), folder launch start pause cancel: E enabled, D
// disabled.
TEST(CommandRow, FocusMovesOverTheEnabledButtonsInRowOrder) {
  struct Case {
    const char* states;
    RowButton from;
    bool backward;
    RowButton to;
  } cases[] = {
      {"EDEDE", kStartButton, false, kCancelButton},    // Ready: Pause and Play skipped
      {"EDEDE", kCancelButton, false, kFolderButton},   // around the end
      {"EDEDE", kFolderButton, true, kCancelButton},    // around the start
      {"EDEDE", kStartButton, true, kFolderButton},
      {"DDDEE", kStartButton, false, kPauseButton},     // Downloading: from a Start just pressed
      {"DDDEE", kPauseButton, true, kCancelButton},
      {"DEDDE", kLaunchButton, false, kCancelButton},   // Finished
      {"DEDDE", kCancelButton, false, kLaunchButton},
      {"EDEDE", kPauseButton, true, kStartButton},      // Paused, from the Pause just pressed
      {"DDDDE", kCancelButton, false, kCancelButton},   // nothing else to go to
      {"DDDDE", kStartButton, true, kCancelButton},
  };
  for (const Case& c : cases) {
    ButtonState states[kRowButtonCount];
    for (int i = 0; i < kRowButtonCount; ++i) states[i] = c.states[i] == 'E' ? Normal : Disabled;
    EXPECT_EQ(NextFocus(states, c.from, c.backward), c.to)
        << c.states << " from " << c.from << (c.backward ? " backward" : " forward");
  }
  // Over and Down are enabled too.
  const ButtonState pointed[kRowButtonCount] = {Over, Disabled, Down, Disabled, Normal};
  EXPECT_EQ(NextFocus(pointed, kCancelButton, false), kFolderButton);
  EXPECT_EQ(NextFocus(pointed, kCancelButton, true), kStartButton);
}

TEST(TaskbarProgress, EachRowAndEnding) {
  using S = TaskbarState;
  struct Row {
    CommandRow row;
    bool filesMissing;
    int rate;
    TaskbarProgress expected;
  };
  const Row rows[] = {
      {CommandRow::kReady, false, 0, {S::kNoProgress, 0}},
      {CommandRow::kDownloading, false, 4237, {S::kNormal, 4237}},
      {CommandRow::kDownloading, true, 12, {S::kNormal, 12}},  // a new run after an incomplete one
      {CommandRow::kDownloading, false, 10500, {S::kNormal, 10000}},  // more bytes than announced
      {CommandRow::kPaused, false, 2500, {S::kPaused, 2500}},
      {CommandRow::kPaused, true, 9990, {S::kError, 9990}},
      {CommandRow::kFinished, false, 10000, {S::kNoProgress, 0}},
  };
  for (const Row& r : rows) {
    const TaskbarProgress got = TaskbarProgressOf(r.row, r.filesMissing, r.rate);
    EXPECT_EQ(got.state, r.expected.state) << static_cast<int>(r.row) << " " << r.filesMissing;
    EXPECT_EQ(got.rate, r.expected.rate) << static_cast<int>(r.row) << " " << r.filesMissing;
  }
}

TEST(Figures, ProgressBarTextsAndFill) {
  WideChar rate[kRateTextCapacity];
  struct RateCase {
    int rate;
    const char* text;
    int fill586;
  } rates[] = {{0, "0.00%", 0},       {1234, "12.34%", 72},  {5000, "50.00%", 292},
               {10000, "100.00%", 584}, {123456, "1234.6%", 7209},
               {std::numeric_limits<int>::max(), "---", 125413044}};  // no form of 7 characters
  for (const RateCase& c : rates) {
    FormatRateText(c.rate, rate);
    EXPECT_EQ(Narrow(rate), c.text) << c.rate;
    EXPECT_EQ(FillWidth(586, c.rate), c.fill586) << c.rate;
  }
  WideChar speed[kFigureTextCapacity];
  struct SpeedCase {
    float mib;
    const char* text;
  } speeds[] = {{0, "0.000 MiB/Sec"},         {2.5f, "2.500 MiB/Sec"},     {999.5f, "999.500 MiB/Sec"},
                {1000, "1000.00 MiB/Sec"},    {123456.5f, "123456 MiB/Sec"}, {5e7f, "48828 GiB/Sec"}};
  for (const SpeedCase& c : speeds) {
    FormatSpeedText(c.mib, speed);
    EXPECT_EQ(Narrow(speed), c.text) << c.mib;
  }
}

std::string Text(const RectF& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

bool Same(const RectF& a, const RectF& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A wrong edge here leaves stale pixels or repaints too much.
TEST(Areas, RepaintedParts) {
  const RectF empty = {0, 0, 0, 0}, unit = {0, 0, 10, 10};
  struct OverlapCase {
    RectF a, b;
    bool overlaps;
  } overlaps[] = {{unit, {10, 0, 20, 10}, false},   // touching at the right edge
                  {unit, {0, 10, 10, 20}, false},   // touching at the bottom
                  {unit, {9.5f, 9.5f, 11, 11}, true},
                  {unit, {2, 2, 3, 3}, true},        // inside
                  {{2, 2, 3, 3}, unit, true},
                  {unit, {5, 0, 5, 10}, false},      // no width
                  {empty, empty, false}};
  for (const OverlapCase& c : overlaps) EXPECT_EQ(Overlaps(c.a, c.b), c.overlaps) << Text(c.a) << " " << Text(c.b);

  struct Computed {
    const char* what;
    RectF got, expected;
  } computed[] = {
      {"union with an empty one", UnionOf(empty, unit), unit},
      {"union with one of no width", UnionOf(unit, {5, -2, 5, 30}), unit},
      {"union of two", UnionOf(unit, {20, 5, 30, 15}), {0, 0, 30, 15}},
      {"inflated", Inflated(unit, 4, 1), {-4, -1, 14, 11}},
      {"whole pixels", WholePixels({0.5f, 1.2f, 3, 4.7f}), {0, 1, 3, 5}},
      {"whole pixels left of 0", WholePixels({-0.5f, -3, -0.2f, 0}), {-1, -3, 0, 0}},
  };
  for (const Computed& c : computed) EXPECT_TRUE(Same(c.got, c.expected)) << c.what << ": " << Text(c.got);
  EXPECT_TRUE(IsEmpty(Inflated(empty, 4, 1)));

  // The fill of an 18-pixel bar spans rows 1 to 16; it starts at column 1.
  struct FillCase {
    int from, to;
    RectF change;
  } fills[] = {{0, 0, empty}, {72, 72, empty}, {0, 1, {1, 1, 2, 17}}, {72, 292, {73, 1, 293, 17}},
               {292, 72, {73, 1, 293, 17}}, {584, 700, {585, 1, 701, 17}}};
  for (const FillCase& c : fills) {
    const RectF change = FillChange(c.from, c.to, 18);
    if (IsEmpty(c.change)) {
      EXPECT_TRUE(IsEmpty(change)) << c.from << " to " << c.to;
    } else {
      EXPECT_TRUE(Same(change, c.change)) << c.from << " to " << c.to << ": " << Text(change);
    }
  }
}

TEST(Figures, PanelTextsAndTickFigures) {
  WideChar text[kFigureTextCapacity];
  const double MiB = kBytesPerMiB;
  struct SizeCase {
    int64_t bytes;
    const char* text;
  } sizes[] = {{0, "0.0 MBytes"},
               {static_cast<int64_t>(1.5 * MiB), "1.5 MBytes"},
               {static_cast<int64_t>(10000 * MiB), "10000.0 MBytes"},
               {static_cast<int64_t>(999999 * MiB), "999999.0 MBytes"},
               {static_cast<int64_t>(1000000 * MiB), "1000000 MBytes"},
               {static_cast<int64_t>(2e9 * MiB), "1953125 GBytes"}};
  for (const SizeCase& c : sizes) {
    FormatSizeText(c.bytes, text);
    EXPECT_EQ(Narrow(text), c.text) << c.bytes;
  }
  struct TimeCase {
    uint32_t seconds;
    const char* text;
  } times[] = {{0, "00:00:00"}, {3661, "01:01:01"}, {360000, "100:00:00"}, {4294967295u, "1193046:28:15"}};
  for (const TimeCase& c : times) {
    FormatTimeText(c.seconds, text);
    EXPECT_EQ(Narrow(text), c.text);
  }

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

TEST(Figures, FreeSpaceTexts) {
  char text[512];
  FormatFreeSpaceText(3221225472LL, true, 1610612736LL, text, sizeof text);
  EXPECT_STREQ(text, "At least 3.000GB is required.\nYour free space : 1.500GB");
  FormatFreeSpaceText(3221225472LL, false, 1610612736LL, text, sizeof text);
  EXPECT_STREQ(text, "At least 3.000GB is required.\nYour free space : cannot be read");
  FormatFreeSpaceText(1LL << 60, true, std::numeric_limits<int64_t>::max(), text, sizeof text);
  EXPECT_STREQ(text, "At least 1073741824.000GB is required.\nYour free space : 8589934592.000GB");
  FormatNoSpaceText("D:\\Games\\", text, sizeof text);
  EXPECT_STREQ(text,
               "This disk drive(D:) does not have enough capacity.\n"
               "Please change the download folder or free up capacity.   ");
  EXPECT_FALSE(EnoughSpace(3221225472LL, 3221225472LL));  // exactly the total is too little
  EXPECT_TRUE(EnoughSpace(3221225473LL, 3221225472LL));
}

TEST(Skin, TheShippedSkinsGeometry) {
  cJson ux;
  ASSERT_TRUE(ux.LoadEmbedded());
  const RectF folder = ReadFolderTextRect(ux);
  EXPECT_EQ((std::vector<float>{folder.left, folder.top, folder.right, folder.bottom}),
            (std::vector<float>{128, 343, 301, 362}));
  ProgressBarSkin bar;
  ASSERT_TRUE(ReadProgressBarSkin(ux, &bar));
  EXPECT_EQ((std::vector<int>{bar.x, bar.y, bar.width, bar.height, bar.bgColor, bar.fgColor}),
            (std::vector<int>{30, 306, 586, 18, 0x333333, 0x33DDFF}));
  EXPECT_TRUE(bar.drawRateText);
  const RectF rate = RateTextRect(bar.width), speed = SpeedTextRect(bar.width);
  EXPECT_EQ((std::vector<float>{rate.left, rate.top, rate.right, rate.bottom}), (std::vector<float>{263, 3, 323, 13}));
  EXPECT_EQ((std::vector<float>{speed.left, speed.top, speed.right, speed.bottom}),
            (std::vector<float>{486, 3, 581, 13}));
  struct ButtonCase {
    const char* key;
    int x;
  } buttons[] = {{"launch", 312}, {"start", 390}, {"pause", 468}, {"cancel", 546}, {"folder", 29}};
  for (const ButtonCase& b : buttons) {
    int x = 0, y = 0;
    EXPECT_TRUE(ReadButtonSkin(ux, b.key, &x, &y)) << b.key;
    EXPECT_EQ(x, b.x);
    EXPECT_EQ(y, 335);
  }
  PanelSkin panel;
  ASSERT_TRUE(ReadPanelSkin(ux, &panel));
  const char* labels[] = {"Remained :", "Elapsed :", "Transfered :", "Total Size :"};
  const float valueLeft[] = {64, 174, 357, 508};
  for (int i = 0; i < kPanelItemCount; ++i) {
    EXPECT_EQ(Narrow(panel.labels[i]), labels[i]);
    EXPECT_EQ(panel.valueRects[i].left, valueLeft[i]);
  }
  FontSkin font;
  ASSERT_TRUE(ReadFolderFont(ux, &font));
  EXPECT_EQ(Narrow(font.name), "Arial");
  EXPECT_EQ(font.color, 0xccFF00);
  EXPECT_FLOAT_EQ(font.alpha, 0.79f);
}

TEST(Skin, AMissingMemberMakesItsReaderFail) {
  // A small skin with everything the readers need, less one member at a time.
  const std::string base = R"({"folder": {"x": 5, "y": 6, "default": "x"},
    "font": {"value": {"name": "Arial", "size": 12, "alpha": 50, "color": "0x102030"},
             "progressbar": {"name": "Arial", "size": 12, "alpha": 79, "color": "0xFFFFFE"},
             "tag": {"name": "Arial", "size": 12, "alpha": 79, "color": "0xFFFFFF"}},
    "button": {"pause": {"x": 1, "y": 2, "normal": "a", "over": "b", "down": "c", "disable": "d"}},
    "progressbar": {"total": {"x": 1, "y": 2, "width": 3, "height": 4, "bg-color": "0x1",
                              "fg-color": "0x2", "draw-rate-text": "false"}},
    "text": {"tag": {"time-remaining": {"name": "A very long label name", "x": 0},
                     "elapse-time": {"name": "E", "x": 1}, "total-recv": {"name": "T", "x": 2},
                     "total-size": {"name": "S", "x": 3}}}})";
  struct Case {
    const char* removed;  // taken out of the text
    bool button, bar, folderFont, panel;
  } cases[] = {
      {"", true, true, true, true},
      {R"("down": "c",)", false, true, true, true},
      {R"(, "draw-rate-text": "false")", true, false, true, true},
      {R"(, "color": "0xFFFFFE")", true, false, true, true},
      {R"("size": 12, "alpha": 50,)", true, true, false, false},
      {R"(, "x": 2)", true, true, true, false},
  };
  for (const Case& c : cases) {
    std::string text = base;
    if (c.removed[0]) text.erase(text.find(c.removed), std::strlen(c.removed));
    cJson ux;
    ASSERT_TRUE(ux.Parse(text.c_str()));
    int x, y;
    ProgressBarSkin bar;
    FontSkin font;
    PanelSkin panel;
    SCOPED_TRACE(c.removed);
    EXPECT_EQ(ReadButtonSkin(ux, "pause", &x, &y), c.button);
    EXPECT_EQ(ReadProgressBarSkin(ux, &bar), c.bar);
    EXPECT_EQ(ReadFolderFont(ux, &font), c.folderFont);
    EXPECT_EQ(ReadPanelSkin(ux, &panel), c.panel);
    if (c.panel) {
      EXPECT_EQ(Narrow(panel.labels[kRemainingItem]), "A very long l :");  // cut at 13
    }
  }
}

}  // namespace
