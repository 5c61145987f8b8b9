#include "app_fixture.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/message_box.h"

namespace {

std::mutex boxesMutex;
std::vector<RecordedBox> boxes;

int RecordBox(const char* text, const char* caption, unsigned flags) {
  std::lock_guard<std::mutex> lock(boxesMutex);
  boxes.push_back({text, caption, flags});
  return platform::kIdOk;
}

std::atomic<int> folderNumber{0};

}  // namespace

void AppTest::SetUp() {
  {
    std::lock_guard<std::mutex> lock(boxesMutex);
    boxes.clear();
  }
  platform::SetMessageBoxHandler(RecordBox);
  previousFolder = std::filesystem::current_path();
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  root = std::filesystem::temp_directory_path() /
         ("downloader-" + std::string(test->name()) + "-" + std::to_string(folderNumber++));
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "work");
  std::filesystem::current_path(root);

  theApp = new cApp{};
  std::snprintf(theApp->workFolder, sizeof theApp->workFolder, "%s", PathIn("work").c_str());
  const size_t length = std::strlen(theApp->workFolder);
  theApp->workFolder[length] = '\\';  // the work folder ends in its separator
  theApp->workFolder[length + 1] = 0;
  std::snprintf(theApp->programFolder, sizeof theApp->programFolder, "%s", PathIn("program\\").c_str());
}

void AppTest::TearDown() {
  platform::SetMessageBoxHandler(nullptr);
  delete theApp;
  theApp = nullptr;
  std::filesystem::current_path(previousFolder);
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::string AppTest::PathIn(const std::string& relative) const {
  // Joined with '\' on Linux too: the program takes the part before the
  // first '\' for a drive, which the test's own folder then stands for.
  return root.string() + '\\' + relative;
}

std::vector<RecordedBox> AppTest::Boxes() const {
  std::lock_guard<std::mutex> lock(boxesMutex);
  return boxes;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<missing>";
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
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
