// Servers that misbehave without failing outright, and the mirrors a
// manifest names: a body that trickles is broken off and resumed, and a file
// its server fails comes from the next mirror, so the client still arrives
// whole. Names of any character and an empty file arrive too.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "download/http.h"
#include "manager_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr char kFaultyFile[] = "data/b.pak";

// A loopback port nothing listens on: a server that is down.
std::string DownServer() {
  cHttpTestServer probe;
  if (!probe.Start()) return "";
  const std::string url = probe.Url("/client/");
  probe.Stop();
  return url;
}

enum class Layout {
  kTrickle,        // the manifest's server sends kFaultyFile a byte at a time, once
  kDownWithMirror, // the manifest's server is down; one sound mirror
  kDamagedMirror,  // the server down, the first mirror's kFaultyFile damaged, a second mirror sound
};

struct ServersCase {
  const char* name;
  Layout layout;
  size_t faultyFromServer;  // requests for kFaultyFile the fixture's server saw
};

class ServersTest : public ManagerTest, public ::testing::WithParamInterface<ServersCase> {
 protected:
  void TearDown() override {
    second.Stop();
    cHttp::SetLowSpeedWindow(0);
    ManagerTest::TearDown();
  }
  cHttpTestServer second;
};

TEST_P(ServersTest, TheClientArrivesWholeFromWhereverItCan) {
  const ServersCase& c = GetParam();
  PublishClient(kFaultyFile);
  Publish("Sounds/Hello, World.ogg", 5000);
  Publish("Sounds/a}b{c].pak", 6000);
  Publish("placeholder.dat", 0);
  if (c.layout == Layout::kTrickle) {
    WriteManifest();
    cHttpTestServer::Fault trickle;
    trickle.trickleAfter = 100000;
    trickle.trickleMs = 100;
    trickle.times = 1;
    server.SetFault(std::string("/client/") + kFaultyFile, trickle);
    cHttp::SetLowSpeedWindow(1000);
  } else if (c.layout == Layout::kDownWithMirror) {
    WriteManifest(DownServer(), {BaseUrl()});
  } else {
    ASSERT_TRUE(second.Start());
    second.ServeFolder(temp.PathOf("server"));  // the sound copy
    WriteManifest(DownServer(), {BaseUrl(), second.Url("/client/")});
    // The first mirror serves other bytes for one file from its own folder.
    server.ServeFolder(temp.PathOf("damaged"));
    for (const auto& [name, content] : published) {
      fs::create_directories(fs::path(temp.PathOf("damaged/client/" + name)).parent_path());
      ASSERT_TRUE(WriteWholeFile(temp.PathOf("damaged/client/" + name), name == kFaultyFile ? PatternBytes(400000, 3)
                                                                                             : content));
    }
  }

  StartRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Manager()->completed, 1) << window.incomplete;
  ExpectClientDownloaded();
  EXPECT_EQ(server.RequestsFor(std::string("/client/") + kFaultyFile).size(), c.faultyFromServer);
  EXPECT_TRUE(server.RequestsFor("/client/placeholder.dat").empty()) << "an empty file is made, not fetched";
  EXPECT_EQ(host.endCode, 0) << "a mirror answered";
  EXPECT_TRUE(boxes.Texts().empty()) << ::testing::PrintToString(boxes.Texts());
  if (c.layout == Layout::kDamagedMirror) {
    EXPECT_EQ(second.RequestsFor(std::string("/client/") + kFaultyFile).size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ServersTest,
    ::testing::Values(
        // Broken off once too slow, then resumed from the bytes on disk.
        ServersCase{"TrickleIsCutOffAndResumed", Layout::kTrickle, 2},
        ServersCase{"ServerDownWithASoundMirror", Layout::kDownWithMirror, 1},
        // Fetched and fetched again from the first mirror, other bytes both
        // times; then from the second.
        ServersCase{"DamagedOnOneMirrorSoundOnTheNext", Layout::kDamagedMirror, 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
