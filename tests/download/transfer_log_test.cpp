// The transfer log: where it goes, what a line looks like, and that a log
// that cannot be written never disturbs a transfer.

#include "download/transfer_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

#ifdef _WIN32
const char kNewline[] = "\r\n";  // text mode
#else
const char kNewline[] = "\n";
#endif

class TransferLogTest : public ::testing::Test {
 protected:
  void Append(const char* stamp, const char* message) { AppendTransferLog(workFolder_.c_str(), stamp, message); }

  cTempFolder folder_;
  std::string workFolder_ = folder_.Path();
};

TEST_F(TransferLogTest, MissingLogIsCreatedAndLinesAreAppended) {
  ASSERT_FALSE(FileExists(folder_.PathOf("qzloader.log")));
  Append("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            std::string("Mar 26 2021 10:51:29 cHttp::OnExecute :: network error (-92)") + kNewline);
  Append("Mar 26 2021 10:51:27", "cMgrDownloader::OnStart 5000000000");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            std::string("Mar 26 2021 10:51:29 cHttp::OnExecute :: network error (-92)") + kNewline +
                "Mar 26 2021 10:51:27 cMgrDownloader::OnStart 5000000000" + kNewline);
}

TEST_F(TransferLogTest, ExistingLogIsNeverTruncated) {
  ASSERT_TRUE(WriteWholeFile(folder_.PathOf("qzloader.log"), std::string("earlier run") + kNewline));
  Append("Jan  1 2024 00:00:00", "cMgrDownloader::OnStart 1");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            std::string("earlier run") + kNewline + "Jan  1 2024 00:00:00 cMgrDownloader::OnStart 1" + kNewline);
}

TEST_F(TransferLogTest, LineThatCannotBeWrittenIsDroppedSilently) {
  // A work folder that does not exist, and one that is a file.
  workFolder_ = folder_.PathOf("missing") + "/";
  Append("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_FALSE(FileExists(folder_.PathOf("missing")));
  ASSERT_TRUE(WriteWholeFile(folder_.PathOf("plain"), "x"));
  workFolder_ = folder_.PathOf("plain") + "/";
  Append("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("plain")), "x");
}

TEST_F(TransferLogTest, WorkFolderTooLongForThePathDropsTheLine) {
  // 259 characters, as many as the application's folder fields hold, leave
  // no room for the log's name: a cut path would name some other file.
  const std::string folder = folder_.Path() + std::string(259 - folder_.Path().size(), 'w');
  workFolder_ = folder;
  ASSERT_EQ(workFolder_.size(), 259u);
  Append("Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_FALSE(FileExists(folder_.PathOf(std::string(259 - folder_.Path().size(), 'w'))));
}

TEST_F(TransferLogTest, LongMessageIsCutToTheLineCapacity) {
  Append("Mar 26 2021 10:51:29", std::string(400, 'm').c_str());
  EXPECT_EQ(ReadWholeFile(folder_.PathOf("qzloader.log")),
            "Mar 26 2021 10:51:29 " + std::string(kTransferLogMessageMax, 'm') + kNewline);
}

TEST_F(TransferLogTest, NoWorkFolderNoLog) {
  AppendTransferLog(nullptr, "Mar 26 2021 10:51:29", "cHttp::OnExecute :: network error (-92)");
  EXPECT_FALSE(FileExists(folder_.PathOf("qzloader.log")));
}

}  // namespace
