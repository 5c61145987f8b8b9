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
  PublishClient(kPinned);
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
        // No digests: the size alone decides, as before; nothing is asked.
        VerifyCase{"WithoutDigests", false, true, false, true, true, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The record of verified files, after a finished run: what changed since
// decides what is read and what is fetched at the next Start.
enum class AfterTheRun {
  kNothing,           // the client stays as it was
  kTamperedSameTime,  // kPinned's bytes changed, its size and last-write time kept
  kByteChanged,       // one byte of kPinned changed, as any program would change it
  kRecordCut,         // the record cut in the middle, and kPinned tampered as above
  kNewDigest,         // a new manifest version in which only kPinned changed
};

struct RecordCase {
  const char* name;
  AfterTheRun after;
  bool verifyEverything;     // the second run is Verify and repair's
  size_t requestsForPinned;  // in the second run; the other files are never fetched
  bool pinnedIsPublished;    // kPinned on disk is the server's afterwards
};

class RecordTest : public ManagerTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordTest, AStartReadsWhatChangedSinceItWasVerifiedAndFetchesWhatNoLongerMatches) {
  const RecordCase& c = GetParam();
  PublishClient(kPinned);
  WriteManifest();
  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  ASSERT_EQ(Manager()->completed, 1);
  const std::string record = temp.PathOf("work/verified.txt");
  ASSERT_NE(ReadWholeFile(record).find(kPinned), std::string::npos) << "the run recorded what it verified";

  std::string tampered = published[kPinned];
  tampered[200000] ^= 0x01;
  const std::string pinned = DownloadPath(kPinned);
  if (c.after == AfterTheRun::kTamperedSameTime || c.after == AfterTheRun::kRecordCut) {
    // Only a read would notice: the record's own word is all there is.
    ASSERT_TRUE(RewriteFile(pinned, tampered, 0));
  }
  if (c.after == AfterTheRun::kByteChanged) {
    ASSERT_TRUE(RewriteFile(pinned, tampered, 2));
  }
  if (c.after == AfterTheRun::kRecordCut) {
    const std::string whole = ReadWholeFile(record);
    ASSERT_TRUE(WriteWholeFile(record, whole.substr(0, whole.size() / 2)));
  }
  if (c.after == AfterTheRun::kNewDigest) {
    Publish(kPinned, 400000);  // other bytes: a new seed
    WriteManifest();
  }
  const size_t before = server.Requests().size();
  const size_t pinnedBefore = server.RequestsFor(std::string("/client/") + kPinned).size();

  StartRun(c.verifyEverything);
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Manager()->completed, 1);
  const size_t pinnedFetches = server.RequestsFor(std::string("/client/") + kPinned).size() - pinnedBefore;
  EXPECT_EQ(pinnedFetches, c.requestsForPinned);
  EXPECT_EQ(server.Requests().size() - before, pinnedFetches) << "a file that still matches is never fetched";
  EXPECT_EQ(ReadWholeFile(pinned) == published[kPinned], c.pinnedIsPublished);
  for (const char* other : {"bin/game.exe", "data/a.pak"}) {
    EXPECT_TRUE(ReadWholeFile(DownloadPath(other)) == published[other]) << other;
  }
  EXPECT_EQ(Manager()->progressSize, Manager()->totalSize);
  // The record is whole again, with every file of the client.
  const std::string rewritten = ReadWholeFile(record);
  for (const auto& [name, content] : published) {
    EXPECT_NE(rewritten.find(" " + name + "\n"), std::string::npos) << name;
  }
  EXPECT_TRUE(boxes.Texts().empty()) << ::testing::PrintToString(boxes.Texts());
}

INSTANTIATE_TEST_SUITE_P(
    Record, RecordTest,
    ::testing::Values(
        RecordCase{"CompleteClientStartedAgain", AfterTheRun::kNothing, false, 0, true},
        // The record vouched: not a byte of the file was read, or the change
        // would have been found.
        RecordCase{"TamperedWithItsStampKeptIsNotRead", AfterTheRun::kTamperedSameTime, false, 0, false},
        // Verify and repair reads every file whatever the record says: the
        // damage is found and fetched again, the rest read, not fetched.
        RecordCase{"TamperedFoundByVerifyAndRepair", AfterTheRun::kTamperedSameTime, true, 1, true},
        RecordCase{"FileChangedAfterItWasRecorded", AfterTheRun::kByteChanged, false, 1, true},
        // A cut record vouches for nothing: every file is read again.
        RecordCase{"RecordCutInTheMiddle", AfterTheRun::kRecordCut, false, 1, true},
        RecordCase{"NewVersionWithOneChangedDigest", AfterTheRun::kNewDigest, false, 1, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
