#include "ui/scale.h"

#include <cmath>

int ScaledPixels(float dips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(dips) * dpi / kSkinDpi));
}

int ImageScaleFor(int dpi) { return dpi > kSkinDpi ? 2 : 1; }
