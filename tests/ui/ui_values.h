#pragma once
// What the windows compute, as the tests compare and print it: a wide text by
// its ASCII, a rectangle by its edges (exactly: they are whole or half pixels).

#include <ostream>
#include <string>

#include "ui/skin.h"

template <int capacity>
std::string Narrow(const WideChar (&text)[capacity]) {
  std::string out;
  for (int i = 0; i < capacity && text[i]; ++i) out += static_cast<char>(text[i]);
  return out;
}

inline bool operator==(const RectF& a, const RectF& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RectF& r) {
  return out << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}
