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

  std::filesystem::path root;

 private:
  std::filesystem::path previousFolder;
};

// A path written the program's way ('\' between folders) as this system
// reads it.
std::filesystem::path NativePath(const std::string& path);

// Writes `bytes` into the file at `path`, replacing it.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// The whole file, or "<missing>".
std::string ReadBytes(const std::filesystem::path& path);
