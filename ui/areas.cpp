#include "ui/areas.h"

#include <algorithm>
#include <cmath>

bool IsEmpty(const RectF& rect) { return !(rect.right > rect.left) || !(rect.bottom > rect.top); }

bool Overlaps(const RectF& a, const RectF& b) {
  if (IsEmpty(a) || IsEmpty(b)) return false;
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RectF UnionOf(const RectF& a, const RectF& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

RectF Inflated(const RectF& rect, float across, float down) {
  if (IsEmpty(rect)) return rect;
  return {rect.left - across, rect.top - down, rect.right + across, rect.bottom + down};
}

RectF WholePixels(const RectF& rect) {
  return {std::floor(rect.left), std::floor(rect.top), std::ceil(rect.right), std::ceil(rect.bottom)};
}

RectF FillChange(int oldWidth, int newWidth, int barHeight) {
  if (oldWidth == newWidth) return {0, 0, 0, 0};
  const float left = static_cast<float>(std::min(oldWidth, newWidth) + 1);
  const float right = static_cast<float>(std::max(oldWidth, newWidth) + 1);
  return {left, 1.0f, right, static_cast<float>(barHeight - 1)};
}
