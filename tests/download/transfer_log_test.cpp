// The transfer log: where it goes, what a line looks like, and that a log
// that cannot be written never disturbs a transfer.

#include "download/transfer_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app.h"
#include "tests/support/temp_folder.h"

namespace {

#ifdef _WIN32
const char kNewline[] = "\r\n";  // text mode
#else
const char kNewline[] = "\n";
#endif

class TransferLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&app_, 0, sizeof app_);
    SetWorkFolder(folder_.Path());
    theApp = &app_;
  }
  void TearDown() override { theApp = nullptr; }
  void SetWorkFolder(const std::string& path) {
    std::snprintf(app_.workFolder, sizeof app_.workFolder, "%s", path.c_str());
  }

  cApp app_;
  cTempFolder folder_;
};

TEST_F(TransferLogTest, MissingLogIsCreatedAndLinesAreAppended) {
  ASSERT_FALSE(FileExists(folder_.PathOf("qzloader.log")));
  AppendTransferLog("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            std::string("Mar 26 2021 10:51:29 cHttp::OnExecute :: network error (-92)") + kNewline);
  AppendTransferLog("Mar 26 2021 10:51:27", "cMgrDownloader::OnStart 5000000000");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            std::string("Mar 26 2021 10:51:29 cHttp::OnExecute :: network error (-92)") + kNewline +
                "Mar 26 2021 10:51:27 cMgrDownloader::OnStart 5000000000" + kNewline);
}

TEST_F(TransferLogTest, ExistingLogIsNeverTruncated) {
  ASSERT_TRUE(WriteWholeFile(folder_.PathOf("qzloader.log"), std::string("earlier run") + kNewline));
  AppendTransferLog("Jan  1 2024 00:00:00", "cMgrDownloader::OnStart 1");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            std::string("earlier run") + kNewline + "Jan  1 2024 00:00:00 cMgrDownloader::OnStart 1" + kNewline);
}

TEST_F(TransferLogTest, LineThatCannotBeWrittenIsDroppedSilently) {
  // A work folder that does not exist, and one that is a file.
  SetWorkFolder(folder_.PathOf("missing") + "/");
  AppendTransferLog("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_FALSE(FileExists(folder_.PathOf("missing")));
  ASSERT_TRUE(WriteWholeFile(folder_.PathOf("plain"), "x"));
  SetWorkFolder(folder_.PathOf("plain") + "/");
  AppendTransferLog("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("plain")), "x");
}

TEST_F(TransferLogTest, WorkFolderTooLongForThePathDropsTheLine) {
  // 259 characters fit the field but not the log's path: a cut path would
  // name some other file.
  const std::string folder = folder_.Path() + std::string(259 - folder_.Path().size(), 'w');
  SetWorkFolder(folder);
  ASSERT_EQ(std::strlen(app_.workFolder), 259u);
  AppendTransferLog("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_FALSE(FileExists(folder_.PathOf(std::string(259 - folder_.Path().size(), 'w'))));
}

TEST_F(TransferLogTest, LongMessageIsCutToTheLineCapacity) {
  AppendTransferLog("Mar 26 2021 10:51:29", std::string(400, 'm').c_str());
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            "Mar 26 2021 10:51:29 " + std::string(kTransferLogMessageMax, 'm') + kNewline);
}

TEST_F(TransferLogTest, NoApplicationNoLog) {
  theApp = nullptr;
  AppendTransferLog("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_FALSE(FileExists(folder_.PathOf("qzloader.log")));
}

}  // namespace
