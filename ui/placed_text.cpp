#include "ui/placed_text.h"

#include <cwchar>

#include "ui/areas.h"

namespace {

// Ink may pass the laid-out lines' box sideways by a glyph's overhang and
// its antialiased edge: a quarter of the font's size and a pixel covers
// both. Above and below, the lines' height holds the glyphs but for that
// edge. (The bar's top row lies under the panel's last one: a text of the
// bar must not reach it, or its repaint would cover the panel's row.)
float InkMarginAcross(IDWriteTextFormat* format) { return format->GetFontSize() / 4 + 1; }
const float kInkMarginDown = 1;

}  // namespace

cPlacedText::cPlacedText() : text{}, rect{}, reach{} {}

RectF cPlacedText::Place(const WideChar* newText, IDWriteTextFormat* format, const RectF& newRect) {
  if (layout && std::wcsncmp(text, newText, kFigureTextCapacity) == 0) return {0, 0, 0, 0};
  const RectF before = reach;
  std::wcsncpy(text, newText, kFigureTextCapacity - 1);
  text[kFigureTextCapacity - 1] = 0;
  rect = newRect;
  layout = format ? cWindow::MakeTextLayout(text, format, rect) : nullptr;
  reach = {0, 0, 0, 0};
  DWRITE_TEXT_METRICS metrics;
  if (layout && SUCCEEDED(layout->GetMetrics(&metrics))) {
    // The box of the laid-out lines, wrapped or overflowing ones included.
    const float width = metrics.widthIncludingTrailingWhitespace > metrics.width
                            ? metrics.widthIncludingTrailingWhitespace
                            : metrics.width;
    const RectF box = {rect.left + metrics.left, rect.top + metrics.top, rect.left + metrics.left + width,
                       rect.top + metrics.top + metrics.height};
    reach = WholePixels(Inflated(box, InkMarginAcross(format), kInkMarginDown));
  } else if (layout) {
    // Nothing known of its extent: the whole window, as before.
    reach = {-1e6f, -1e6f, 1e6f, 1e6f};
  }
  return UnionOf(before, reach);
}

void cPlacedText::Draw(ID2D1RenderTarget* target, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options) const {
  if (layout) target->DrawTextLayout(D2D1::Point2F(rect.left, rect.top), layout.Get(), brush, options);
}
