#include "tests/support/dev_key_signing.h"

#include <fstream>
#include <iterator>

bool SignWithDevKey(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string signature = DevKeySignature(bytes);
  if (signature.empty()) return false;
  std::ofstream out(path + ".sig", std::ios::binary | std::ios::trunc);
  out << signature;
  return static_cast<bool>(out.flush());
}
