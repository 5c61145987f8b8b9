// settings.txt: the speed limit the player chose, read at start and written
// on change, beside a version.txt that keeps its own format.

#include "app/player_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "app/version_stamp.h"
#include "app_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(ParseSpeedLimit, EveryFormOfTheLine) {
  struct Case {
    const char* text;
    bool read;
    int64_t limit;
  } cases[] = {
      {"speed-limit=1048576\n", true, 1048576},
      {"speed-limit=0\n", true, 0},
      {"speed-limit=524288", true, 524288},                      // no final line feed
      {"speed-limit=2097152\r\n", true, 2097152},                // edited on Windows
      {"other=1\nspeed-limit=5242880\nmore=2\n", true, 5242880},  // among other keys
      {"speed-limit=1\nspeed-limit=2\n", true, 1},                // the first line counts
      {"speed-limit=999999999999999\n", true, 999999999999999},  // 15 digits
      {"speed-limit=1000000000000000\n", false, 0},              // 16: not ours
      {"speed-limit=-1\n", false, 0},
      {"speed-limit=12 MB\n", false, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    int64_t limit = -7;
    EXPECT_EQ(ParseSpeedLimit(c.text, &limit), c.read) << c.text;
    EXPECT_EQ(limit, c.read ? c.limit : -7) << c.text;
  }
}

class PlayerSettingsTest : public AppTest {
 protected:
  fs::path SettingsFile() const { return root / "work" / "settings.txt"; }
};

TEST_F(PlayerSettingsTest, AWrittenLimitIsReadBackAtTheNextStartAndVersionTxtKeepsItsFormat) {
  std::snprintf(theApp->version, sizeof theApp->version, "201904221642");
  std::snprintf(theApp->downloadFolder, sizeof theApp->downloadFolder, "%s", PathIn("client\\").c_str());
  theApp->speedLimit.store(1048576);
  WriteSettingsFile();
  WriteVersionFile();
  EXPECT_EQ(ReadWholeFile(SettingsFile().string()), "speed-limit=1048576\n");
  EXPECT_EQ(ReadWholeFile((root / "work" / "version.txt").string()), "201904221642\n" + PathIn("client\\"));

  theApp->speedLimit.store(0);
  ReadSettingsFile();
  EXPECT_EQ(theApp->speedLimit.load(), 1048576);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PlayerSettingsTest, NoFileADamagedOneOrAnUnwritableFolderLeaveNoLimitSilently) {
  theApp->speedLimit.store(0);
  ReadSettingsFile();
  EXPECT_EQ(theApp->speedLimit.load(), 0) << "no settings.txt: a first run";

  for (const std::string& damaged : {std::string("speed-limit=abc\n"), std::string(5000, '7'),
                                     std::string("speed-limit=1\0\n", 15)}) {
    ASSERT_TRUE(WriteWholeFile(SettingsFile().string(), damaged));
    ReadSettingsFile();
    EXPECT_EQ(theApp->speedLimit.load(), 0) << damaged.substr(0, 20);
  }

  std::snprintf(theApp->workFolder, sizeof theApp->workFolder, "%s", PathIn("missing\\").c_str());
  theApp->speedLimit.store(512 * 1024);
  WriteSettingsFile();
  EXPECT_FALSE(fs::exists(root / "missing"));
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
