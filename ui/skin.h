#pragma once
// The skin of the window, read from the UX document apart from any window:
// where the buttons, the bar, the folder text and the panel go, and their
// fonts and colours. The windows turn these into system windows and drawing
// resources; reading them here lets the rules be checked without a screen.
//
// Every reader stops at the first missing member and returns false; what it
// read before stays.

#include <cstdint>

#include "json/json.h"
#include "platform/wide_text.h"

struct RectF {
  float left, top, right, bottom;
};

// A font and its colour: "name", "size", "alpha" (percent) and "color"
// (0xRRGGBB) of one member of "font".
struct FontSkin {
  WideChar name[64];
  float size;
  float alpha;  // 0 to 1
  int32_t color;
};

// "button" / `key`: "x", "y", then "normal", "over", "down" and "disable",
// which must exist (their file names are not used: the images are embedded).
bool ReadButtonSkin(cJson& ux, const char* key, int* x, int* y);

struct ProgressBarSkin {
  int x, y, width, height;
  int32_t bgColor, fgColor;
  bool drawRateText;
  FontSkin font;  // "font" / "progressbar"
};
// "progressbar" / "total" and "font" / "progressbar".
bool ReadProgressBarSkin(cJson& ux, ProgressBarSkin* skin);

// The percentage centred on the bar and the speed ending 5 pixels before
// its right edge, both 10 pixels high at the top.
RectF RateTextRect(int barWidth);
RectF SpeedTextRect(int barWidth);

// The folder text's box: "folder" / "x" and "y" give its top left, the box
// is 173 by 19. Only when "folder" / "default" exists are they read; a
// missing member leaves its edges at 0.
RectF ReadFolderTextRect(cJson& ux);
// Whether the skin asks for the built-in default download folder.
bool SkinWantsDefaultFolder(cJson& ux);
// "font" / "value": the folder text's font. False when any part is missing:
// the folder text is then not drawn.
bool ReadFolderFont(cJson& ux, FontSkin* font);

// The information panel's four items, in their fixed order.
enum PanelItem { kRemainingItem, kElapsedItem, kReceivedItem, kTotalItem, kPanelItemCount };
struct PanelSkin {
  WideChar labels[kPanelItemCount][16];  // each name followed by " :"
  RectF labelRects[kPanelItemCount];
  RectF valueRects[kPanelItemCount];
  FontSkin tagFont;                      // labels and values share its name and size
  int32_t valueColor;
  float valueAlpha;
};
// "text" / "tag" / the four items, "font" / "tag" and "font" / "value"'s
// colour and alpha. A label name longer than 13 characters (its buffer holds
// 13 plus " :") is cut at 13.
bool ReadPanelSkin(cJson& ux, PanelSkin* skin);
