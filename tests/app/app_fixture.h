#pragma once
// A fresh application object for each test, with its work folder in a
// temporary folder of the test's own, and every message box recorded instead
// of shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/app.h"
#include "tests/support/temp_folder.h"

struct RecordedBox {
  std::string text;
  std::string caption;
  unsigned flags;
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // `relative` ('\' between folders) below the test's folder.
  std::string PathIn(const std::string& relative) const;
  // Every message box shown so far (answered with OK).
  std::vector<RecordedBox> Boxes() const;

  cTempFolder temp;  // also the current folder while the test runs
  std::filesystem::path root;
};

// A path written the program's way ('\' between folders) as this system
// reads it.
std::filesystem::path NativePath(const std::string& path);
