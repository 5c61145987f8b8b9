#pragma once
// Parts of a window, in its own pixels: what a change of a text or of the
// bar's fill has to repaint, and whether something drawn reaches the part
// being painted. Apart from any window, so the rules are checked without a
// screen.

#include "ui/skin.h"

// No area: right at or left of left, or bottom at or above top.
bool IsEmpty(const RectF& rect);
// Edges that only touch do not overlap; an empty rectangle overlaps nothing.
bool Overlaps(const RectF& a, const RectF& b);
// The smallest rectangle holding both; an empty one adds nothing.
RectF UnionOf(const RectF& a, const RectF& b);
// `across` pixels more at the left and right, `down` at the top and bottom;
// an empty rectangle stays empty.
RectF Inflated(const RectF& rect, float across, float down);
// The whole pixels `rect` touches: its edges rounded outwards.
RectF WholePixels(const RectF& rect);

// What changes when the bar's fill ({1, 1, width + 1, barHeight - 1}) goes
// from `oldWidth` to `newWidth` pixels: the columns between the two right
// edges, on the fill's rows. Empty when the widths are equal.
RectF FillChange(int oldWidth, int newWidth, int barHeight);
