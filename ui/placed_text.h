#pragma once
// A text drawn at one place of a window. It is laid out when it changes,
// not at every paint, and it knows the part of the window its pixels can
// reach, so that a change repaints only there: under Wine each repainted
// pixel and each text drawn cost the drawing thread, and a tick changes a
// few short texts of a strip.

#include "ui/figures.h"
#include "ui/window.h"

class cPlacedText {
 public:
  cPlacedText();

  // Lays `text` out in `rect` with `format`, as DrawText would. Returns the
  // part of the window that must be repainted: where the old and the new
  // text reach; empty when the text is as before (the format and the place
  // of one placed text do not change) or when there is no format.
  RectF Place(const WideChar* text, IDWriteTextFormat* format, const RectF& rect);
  // The same pixels as DrawText of the text in its rectangle.
  void Draw(ID2D1RenderTarget* target, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options) const;
  // Where its pixels can reach; empty while there is nothing to draw.
  const RectF& Reach() const { return reach; }

 private:
  WideChar text[kFigureTextCapacity];
  RectF rect;
  RectF reach;
  ComPtr<IDWriteTextLayout> layout;
};
