#pragma once
// The display scale. The skin is laid out in device-independent pixels, 96
// to the inch; a window on a display of another DPI is placed and sized at
// DPI / 96 of the skin's numbers, and draws from the images made for it:
// the skin's own size at 96 DPI, twice that size above.

constexpr int kSkinDpi = 96;

// `dips` of the skin in whole pixels at `dpi`, to the nearest (halves away
// from zero); the same number at 96 DPI.
int ScaledPixels(float dips, int dpi);
// The image set drawn at `dpi`: 1 (the skin's size) at 96 DPI and below, 2
// above, which Direct2D brings down to the exact size.
int ImageScaleFor(int dpi);
