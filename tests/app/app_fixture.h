#pragma once
// The one way the tests install the application object: a fresh one for
// each test, with its work folder in a temporary folder of the test's own,
// and every message box recorded instead of shown (tests/support/
// message_boxes.h).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "tests/support/message_boxes.h"
#include "tests/support/temp_folder.h"

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // `relative` ('\' between folders) below the test's folder.
  std::string PathIn(const std::string& relative) const;
  // Every message box shown so far (answered with OK).
  std::vector<RecordedBox> Boxes() const { return boxes.Boxes(); }

  cTempFolder temp;  // also the current folder while the test runs
  std::filesystem::path root;
  cMessageBoxes boxes;
};

// A path written the program's way ('\' between folders) as this system
// reads it.
std::filesystem::path NativePath(const std::string& path);
