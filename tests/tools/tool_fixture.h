#pragma once
// A client folder and a manifest path in a temporary folder of the test's own.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

class ManifestToolTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Creates client/`name` (UTF-8, '/' between folders) holding `size` bytes.
  void AddFile(const std::string& name, int64_t size);
  std::string Client() const { return (root / "client").string(); }
  std::string Manifest() const { return (root / "file.json").string(); }
  // Writes a hand-made manifest.
  void WriteManifestText(const std::string& text) const;

  cTempFolder temp;
  std::filesystem::path root;
};
