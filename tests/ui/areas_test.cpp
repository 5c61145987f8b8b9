// The parts of a window a change repaints.

#include <gtest/gtest.h>

#include "tests/ui/ui_values.h"
#include "ui/areas.h"

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
  for (const OverlapCase& c : overlaps) EXPECT_EQ(Overlaps(c.a, c.b), c.overlaps) << c.a << " " << c.b;

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
  for (const Computed& c : computed) EXPECT_EQ(c.got, c.expected) << c.what;
  EXPECT_TRUE(IsEmpty(Inflated(empty, 4, 1)));

  // The fill of an 18-pixel bar spans rows 1 to 16; it starts at column 1.
  struct FillCase {
    int from, to;
    RectF change;
  } fills[] = {{0, 0, empty}, {72, 72, empty}, {0, 1, {1, 1, 2, 17}}, {72, 292, {73, 1, 293, 17}},
               {292, 72, {73, 1, 293, 17}}, {584, 700, {585, 1, 701, 17}}};
  for (const FillCase& c : fills) {
    const RectF change = FillChange(c.from, c.to, 18);
    EXPECT_TRUE(IsEmpty(c.change) ? IsEmpty(change) : change == c.change) << c.from << " to " << c.to << ": " << change;
  }
}
