#include "app/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "app_fixture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

// Points the user's temporary folder at `folder` for this process; an empty
// `folder` takes the setting away.
void SetTempFolder(const std::string& folder) {
#ifdef _WIN32
  SetEnvironmentVariableA("TMP", folder.empty() ? nullptr : folder.c_str());
#else
  if (folder.empty()) {
    unsetenv("TMPDIR");
  } else {
    setenv("TMPDIR", folder.c_str(), 1);
  }
#endif
}

class FoldersTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
#ifdef _WIN32
    char previous[1024];
    const DWORD length = GetEnvironmentVariableA("TMP", previous, sizeof previous);
    previousTemp = length ? previous : "";
#else
    const char* previous = std::getenv("TMPDIR");
    previousTemp = previous ? previous : "";
#endif
  }
  void TearDown() override {
    SetTempFolder(previousTemp);
    AppTest::TearDown();
  }
  std::string previousTemp;
};

TEST_F(FoldersTest, WorkFolderHasItsTwoLevelsCreatedUnderTheTemporaryFolder) {
  fs::create_directories(root / "temp");
  SetTempFolder((root / "temp").string());
  PrepareFolders(*theApp);

  const std::string workFolder = theApp->workFolder;
  EXPECT_EQ(workFolder.rfind("QzLauncher_Live\\zt_kr\\"), workFolder.size() - 22) << workFolder;
  EXPECT_TRUE(fs::is_directory(root / "temp" / "QzLauncher_Live" / "zt_kr"));

  // At every start, also when the folders are there already.
  fs::remove_all(root / "temp" / "QzLauncher_Live" / "zt_kr");
  PrepareFolders(*theApp);
  EXPECT_TRUE(fs::is_directory(root / "temp" / "QzLauncher_Live" / "zt_kr"));
  EXPECT_EQ(std::string(theApp->workFolder), workFolder);
}

TEST_F(FoldersTest, TooLongATemporaryFolderServesAsTheWorkFolderUncut) {
  // 240 characters of temporary folder leave no room for the 22 of the two
  // levels in a 260-byte field.
  fs::path temp = root;
  while (temp.string().size() < 240) temp /= std::string(std::min<size_t>(40, 240 - temp.string().size()), 'x');
  fs::create_directories(temp);
  SetTempFolder(temp.string());
  PrepareFolders(*theApp);

  std::string expected = temp.string();
  expected += expected.back() == '/' || expected.back() == '\\' ? "" : std::string(1, fs::path::preferred_separator);
  EXPECT_EQ(std::string(theApp->workFolder), expected);
  EXPECT_FALSE(fs::exists(temp / "QzLauncher_Live"));
}

TEST_F(FoldersTest, ProgramFolderIsTheExecutablesFolderWithItsSeparator) {
  PrepareFolders(*theApp);
  const std::string programFolder = theApp->programFolder;
  ASSERT_FALSE(programFolder.empty());
  const char last = programFolder.back();
  EXPECT_TRUE(last == '/' || last == '\\');
#ifdef _WIN32
  const char* executable = "app_test.exe";
#else
  const char* executable = "app_test";
#endif
  EXPECT_TRUE(fs::is_regular_file(programFolder + executable)) << programFolder;
}

}  // namespace
