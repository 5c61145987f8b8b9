#include "ui/skin.h"

#include <cstring>
#include <initializer_list>

namespace {

// The member `path[0]` / `path[1]` / ... below the root.
cJson::Node* FindPath(cJson& ux, const char* first, const char* second = nullptr, const char* third = nullptr) {
  cJson::Node* node = ux.Find(first);
  if (node && second) node = node->Child(second);
  if (node && third) node = node->Child(third);
  return node;
}

// Copies a drawn text; false when it does not fit (a cut name would draw, or
// look up, something else).
template <int capacity>
bool CopyWide(const WideChar* text, WideChar (&out)[capacity]) {
  if (!text) return false;
  int length = 0;
  while (text[length]) {
    if (++length >= capacity) return false;
  }
  std::memcpy(out, text, (length + 1) * sizeof(WideChar));
  return true;
}

bool ReadFont(cJson::Node* font, FontSkin* skin) {
  cJson::Node* name = font ? font->Child("name") : nullptr;
  cJson::Node* size = font ? font->Child("size") : nullptr;
  cJson::Node* alpha = font ? font->Child("alpha") : nullptr;
  cJson::Node* color = font ? font->Child("color") : nullptr;
  if (!name || !size || !alpha || !color || !CopyWide(name->GetWideText(), skin->name)) return false;
  skin->size = static_cast<float>(size->GetInt());
  skin->alpha = static_cast<float>(alpha->GetInt() / 100.0);
  skin->color = color->GetHex();
  return true;
}

}  // namespace

bool ReadButtonSkin(cJson& ux, const char* key, int* x, int* y) {
  cJson::Node* button = FindPath(ux, "button", key);
  if (!button) return false;
  cJson::Node* value = button->Child("x");
  if (!value) return false;
  *x = value->GetInt();
  if (!(value = button->Child("y"))) return false;
  *y = value->GetInt();
  for (const char* image : {"normal", "over", "down", "disable"}) {
    if (!button->Child(image)) return false;
  }
  return true;
}

bool ReadProgressBarSkin(cJson& ux, ProgressBarSkin* skin) {
  cJson::Node* total = FindPath(ux, "progressbar", "total");
  if (!total) return false;
  // In the order they are read; the first missing one ends the reading.
  const struct {
    const char* key;
    int32_t* into;
    bool hex;
  } numbers[] = {{"x", &skin->x, false},           {"y", &skin->y, false},
                 {"width", &skin->width, false},   {"height", &skin->height, false},
                 {"bg-color", &skin->bgColor, true}, {"fg-color", &skin->fgColor, true}};
  for (const auto& number : numbers) {
    cJson::Node* value = total->Child(number.key);
    if (!value) return false;
    *number.into = number.hex ? value->GetHex() : value->GetInt();
  }
  cJson::Node* value = total->Child("draw-rate-text");
  if (!value) return false;
  skin->drawRateText = std::strcmp(value->GetText(), "true") == 0;
  return ReadFont(FindPath(ux, "font", "progressbar"), &skin->font);
}

RectF RateTextRect(int barWidth) {
  const float w = static_cast<float>(barWidth);
  return {0.5f * w - 30, 3, 0.5f * w + 30, 13};
}

RectF SpeedTextRect(int barWidth) {
  const float w = static_cast<float>(barWidth);
  return {w - 100, 3, w - 5, 13};
}

bool SkinWantsDefaultFolder(cJson& ux) { return FindPath(ux, "folder", "default") != nullptr; }

RectF ReadFolderTextRect(cJson& ux) {
  RectF rect{0, 0, 0, 0};
  cJson::Node* folder = ux.Find("folder");
  if (!folder || !folder->Child("default")) return rect;
  cJson::Node* x = folder->Child("x");
  if (!x) return rect;
  rect.left = static_cast<float>(x->GetInt());
  rect.right = rect.left + 173;
  if (cJson::Node* y = folder->Child("y")) {
    rect.top = static_cast<float>(y->GetInt());
    rect.bottom = rect.top + 19;
  }
  return rect;
}

bool ReadFolderFont(cJson& ux, FontSkin* font) { return ReadFont(FindPath(ux, "font", "value"), font); }

bool ReadPanelSkin(cJson& ux, PanelSkin* skin) {
  // Key, then the label and value rectangles' offsets from the item's x:
  // label right, value left; every value ends at x + 165.
  struct ItemLayout {
    const char* key;
    float labelWidth;
    float valueOffset;
  };
  static const ItemLayout kItems[kPanelItemCount] = {
      {"time-remaining", 100, 64}, {"elapse-time", 85, 54}, {"total-recv", 100, 67}, {"total-size", 100, 63}};
  for (int i = 0; i < kPanelItemCount; ++i) {
    cJson::Node* item = FindPath(ux, "text", "tag", kItems[i].key);
    cJson::Node* name = item ? item->Child("name") : nullptr;
    if (!name) return false;
    // A label is only shown: a name longer than its 13 characters is cut
    // there rather than costing the panel (and with it the figures).
    const WideChar* text = name->GetWideText();
    int length = 0;
    while (text && text[length] && length < 13) {
      skin->labels[i][length] = text[length];
      ++length;
    }
    skin->labels[i][length] = ' ';
    skin->labels[i][length + 1] = ':';
    skin->labels[i][length + 2] = 0;
    cJson::Node* xNode = item->Child("x");
    if (!xNode) return false;
    const float x = static_cast<float>(xNode->GetInt());
    skin->labelRects[i] = {x, 0, x + kItems[i].labelWidth, 20};
    skin->valueRects[i] = {x + kItems[i].valueOffset, 0, x + 165, 20};
  }
  cJson::Node* tag = FindPath(ux, "font", "tag");
  if (!ReadFont(tag, &skin->tagFont)) return false;
  cJson::Node* value = FindPath(ux, "font", "value");
  cJson::Node* color = value ? value->Child("color") : nullptr;
  cJson::Node* alpha = value ? value->Child("alpha") : nullptr;
  if (!color || !alpha) return false;
  skin->valueColor = color->GetHex();
  skin->valueAlpha = static_cast<float>(alpha->GetInt() / 100.0);
  return true;
}
