#include "tool_fixture.h"

#include <fstream>

void ManifestToolTest::SetUp() {
  root = std::filesystem::path(temp.Path()).parent_path();
  std::filesystem::create_directories(root / "client");
}

void ManifestToolTest::AddFile(const std::string& name, int64_t size) {
  const std::filesystem::path path = root / "client" / std::filesystem::u8path(name);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  for (int64_t i = 0; i < size; ++i) file.put(static_cast<char>('a' + i % 26));
}

void ManifestToolTest::WriteManifestText(const std::string& text) const {
  std::ofstream file(root / "file.json", std::ios::binary | std::ios::trunc);
  file << text;
}
