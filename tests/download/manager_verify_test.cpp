// Verified files: a manifest that pins each file by its SHA-256 makes a file
// count only once its bytes match, whether it arrives, is resumed or is found
// on disk; without digests the manager trusts sizes, as it always did.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>

#include "manager_fixture.h"

namespace {

constexpr char kPinned[] = "data/b.pak";

struct VerifyCase {
  const char* name;
  bool serverCopyChanged;    // the server's kPinned differs from the manifest by one byte
  bool zerosInLocalTail;     // kPinned on disk at full length, its second half zeros
  bool changedAfterARun;     // a complete run first, then one byte of kPinned changed on disk
  bool withoutDigests;       // the manifest has no "SHA256"
  bool completes;
  int requestsForPinned;     // GETs the server saw for kPinned in the (last) run
  bool pinnedIsPublished;    // kPinned on disk equals the manifest's bytes afterwards
};

class VerifyTest : public ManagerTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(VerifyTest, AFileCountsOnlyOnceItsBytesMatch) {
  const VerifyCase& c = GetParam();
  Publish("bin/game.exe", 20000);
  Publish("data/a.pak", 300000);
  Publish(kPinned, 400000);
  WriteManifest();
  if (c.withoutDigests) {
    const std::string text = ReadWholeFile(temp.PathOf("work/file.json"));
    WriteManifestText(std::regex_replace(text, std::regex(", \"SHA256\" : \"[0-9a-f]{64}\""), ""));
  }
  const std::string original = published[kPinned];
  std::string changed = original;
  changed[123456] ^= 0x20;
  if (c.serverCopyChanged) {
    ASSERT_TRUE(WriteWholeFile(temp.PathOf("server/client/") + kPinned, changed));
  }
  std::filesystem::create_directories(temp.PathOf("download/data"));
  if (c.zerosInLocalTail) {
    std::string local = original;
    std::fill(local.begin() + local.size() / 2, local.end(), '\0');
    ASSERT_TRUE(WriteWholeFile(DownloadPath(kPinned), local));
  }
  if (c.changedAfterARun) {
    StartRun();
    ASSERT_TRUE(WaitForRunEnd());
    ASSERT_EQ(Manager()->completed, 1);
    ASSERT_TRUE(WriteWholeFile(DownloadPath(kPinned), changed));
  }
  const size_t requestsBefore = server.RequestsFor(std::string("/client/") + kPinned).size();

  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Manager()->completed, c.completes ? 1 : 0);
  if (!c.completes) {
    EXPECT_EQ(window.incomplete, std::string("1 missing, first ") + kPinned + " does not match its manifest");
  }
  EXPECT_EQ(server.RequestsFor(std::string("/client/") + kPinned).size() - requestsBefore,
            static_cast<size_t>(c.requestsForPinned));
  EXPECT_EQ(ReadWholeFile(DownloadPath(kPinned)) == original, c.pinnedIsPublished);
  for (const char* other : {"bin/game.exe", "data/a.pak"}) {
    EXPECT_TRUE(ReadWholeFile(DownloadPath(other)) == published[other]) << other;
  }
  EXPECT_TRUE(boxes.Texts().empty()) << ::testing::PrintToString(boxes.Texts());
}

INSTANTIATE_TEST_SUITE_P(
    Digests, VerifyTest,
    ::testing::Values(
        // Fetched, found wrong, fetched again from byte 0, wrong again: missing.
        VerifyCase{"ServerCopyChanged", true, false, false, false, false, 2, false},
        // Full length on disk but not the bytes: found wrong, and the answer to
        // the request that asked the length is written from byte 0.
        VerifyCase{"ZerosInTheLocalTail", false, true, false, false, true, 1, true},
        VerifyCase{"ChangedAfterAFinishedRun", false, false, true, false, true, 1, true},
        // No digests: the size alone decides, as before; only the length is asked.
        VerifyCase{"WithoutDigests", false, true, false, true, true, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
