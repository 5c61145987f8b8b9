// cHttp over https against a real nginx on loopback, with a throwaway
// authority made by tests/support/make_test_certs.sh and named to the Linux
// seam alone: a sound certificate gives the file byte-identical; a
// certificate from an untrusted issuer, for another name or expired, and a
// redirect to http, are each refused with their box before the server
// counts as unreachable. (A stop ending a handshake that is never answered
// is one of the transfer's stop cases, in http_transfer_test.)

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "download/downloaders.h"
#include "tests/download/http_fixture.h"
#include "tests/support/nginx_server.h"

namespace {

struct HttpsCase {
  const char* name;
  const char* certificate;  // of make_test_certs.sh
  const char* path;
  const char* box;  // what the player is told first; null: the file arrives
};

const HttpsCase kCases[] = {
    {"sound", "localhost.pem", "/client/a.pak", nullptr},
    {"untrusted_issuer", "untrusted.pem", "/client/a.pak", "certificate error: untrusted issuer (-14)"},
    {"wrong_name", "wrong-name.pem", "/client/a.pak", "certificate error: wrong name (-15)"},
    {"expired", "expired.pem", "/client/a.pak", "certificate error: expired (-16)"},
    {"redirect_to_http", "localhost.pem", "/to-http/client/a.pak", "redirect from https to http refused (-18)"},
};

// One authority for the whole program, made before any test speaks TLS:
// the seam reads the file it names once.
class cTestAuthority : public ::testing::Environment {
 public:
  void SetUp() override {
    char folder[] = "/tmp/downloader-https-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    const std::string make = "bash " TESTS_SOURCE_DIR "/support/make_test_certs.sh " + folder_;
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    setenv("DOWNLOADER_CA_FILE", (folder_ + "/ca.pem").c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  static const std::string& Folder() { return folder_; }

 private:
  static std::string folder_;
};
std::string cTestAuthority::folder_;
::testing::Environment* const kAuthority = ::testing::AddGlobalTestEnvironment(new cTestAuthority);

class HttpsTest : public HttpFixture, public ::testing::WithParamInterface<HttpsCase> {
 protected:
  void SetUp() override {
    HttpFixture::SetUp();
    std::filesystem::create_directories(folder_.PathOf("www/client"));
    content_ = PatternBytes(3 * 1048576 + 5);
    std::ofstream(folder_.PathOf("www/client/a.pak"), std::ios::binary) << content_;
    const std::string& certs = cTestAuthority::Folder();
    ASSERT_TRUE(nginx_.Start(folder_.PathOf("www"), folder_.PathOf("nginx"), certs + "/" + GetParam().certificate,
                             certs + "/server.key"))
        << "see the error log in the prefix";
  }
  void TearDown() override {
    nginx_.Stop();
    HttpFixture::TearDown();
  }

  std::string content_;
  cNginxServer nginx_;
};

TEST_P(HttpsTest, SoundCertificateCompletesAndEveryOtherIsRefusedByName) {
  const HttpsCase& row = GetParam();
  const std::string url = nginx_.Url(row.path);
  if (!row.box) {
    cRecordingHttp transfer(host_);
    transfer.DownloadFile(url.c_str(), "a.pak");
    ASSERT_TRUE(WaitUntilEnded(transfer));
    EXPECT_TRUE(transfer.IsWhole());
    EXPECT_TRUE(SameBytes(ReadWholeFile("a.pak"), content_));
    EXPECT_TRUE(boxes_.Texts().empty());
    return;
  }
  cResDownloader fetch(host_);
  EXPECT_EQ(fetch.DownloadResource(url.c_str(), "a.pak"), 0);
  EXPECT_EQ(host_.endCode, -11) << "the server counts as unreachable";
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{std::string("cHttp::OnExecute :: ") + row.box,
                                                       kUnreachableText}));
  EXPECT_FALSE(std::filesystem::exists("a.pak") && std::filesystem::file_size("a.pak") > 0)
      << "nothing of a refused server is written";
}

INSTANTIATE_TEST_SUITE_P(Certificates, HttpsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HttpsCase>& info) { return std::string(info.param.name); });

}  // namespace
