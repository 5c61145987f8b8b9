// The skin read from the UX document: the shipped one, and readers missing a member.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "json/json.h"
#include "resources/resource_ids.h"
#include "tests/ui/ui_values.h"
#include "ui/skin.h"

TEST(Skin, TheShippedSkinsGeometry) {
  cJson ux;
  ASSERT_TRUE(ux.LoadEmbedded(RESOURCE_UX_DOCUMENT));
  EXPECT_EQ(ReadFolderTextRect(ux), (RectF{128, 343, 301, 362}));
  ProgressBarSkin bar;
  ASSERT_TRUE(ReadProgressBarSkin(ux, &bar));
  EXPECT_EQ((std::vector<int>{bar.x, bar.y, bar.width, bar.height, bar.bgColor, bar.fgColor}),
            (std::vector<int>{30, 306, 586, 18, 0x333333, 0x33DDFF}));
  EXPECT_TRUE(bar.drawRateText);
  EXPECT_EQ(RateTextRect(bar.width), (RectF{263, 3, 323, 13}));
  EXPECT_EQ(SpeedTextRect(bar.width), (RectF{486, 3, 581, 13}));
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
