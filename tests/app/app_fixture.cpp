#include "app_fixture.h"

#include <cstdio>

void AppTest::SetUp() {
  root = std::filesystem::path(temp.Path()).parent_path();
  std::filesystem::create_directories(root / "work");

  theApp = new cApp{};
  std::snprintf(theApp->workFolder, sizeof theApp->workFolder, "%s", PathIn("work\\").c_str());
  std::snprintf(theApp->programFolder, sizeof theApp->programFolder, "%s", PathIn("program\\").c_str());
}

void AppTest::TearDown() {
  delete theApp;
  theApp = nullptr;
}

std::string AppTest::PathIn(const std::string& relative) const {
  // Joined with '\' on Linux too: the program takes the part before the
  // first '\' for a drive, which the test's own folder then stands for.
  return root.string() + '\\' + relative;
}

std::filesystem::path NativePath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  std::string converted = path;
  for (char& c : converted) {
    if (c == '\\') c = '/';
  }
  return std::filesystem::path(converted);
#endif
}
