#pragma once
// The ASCII a wide text of the windows holds, to compare with a literal.

#include <string>

#include "platform/wide_text.h"

template <int capacity>
std::string Narrow(const WideChar (&text)[capacity]) {
  std::string out;
  for (int i = 0; i < capacity && text[i]; ++i) out += static_cast<char>(text[i]);
  return out;
}
