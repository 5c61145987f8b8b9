// What names the operator tool publishes, how it says why it refuses one,
// and the URL the downloader then asks for.

#include <gtest/gtest.h>

#include <string>

#include "download/file_url.h"
#include "download/manifest.h"
#include "tools/manifest/carriage_rules.h"

namespace {

using manifest_tool::NameRefusal;
using manifest_tool::PrintableName;

const char kUrl[] = "http://127.0.0.1/data/";

struct NameCase {
  std::string name;
  std::string refusal;  // "" when published
  bool engineFetches;   // the program's own rule lets it through
};

TEST(NamesTest, PublishedAndRefusedNames) {
  const NameCase cases[] = {
      {"Sound Banks/Ambience 1.pak", "", true},
      {"Donn\xC3\xA9""es/\xC3\xA9t\xC3\xA9.pak", "", true},
      {"\xE9\x9F\xB3\xE5\xA3\xB0/\xE5\xA3\xB0.pak", "", true},
      {"#%+&'[]{=;@!$().pak", "", true},
      {"a]{}.pak", "", true},
      {"console.pak", "", true},
      {"COM10.pak", "", true},
      {"Hello, World.ogg", "", true},
      {"data/CON", "holds \"CON\", a device name that Windows does not store as a file", false},
      {"Nul.tar.gz", "holds \"Nul.tar.gz\", a device name that Windows does not store as a file", false},
      {"lpt9 .txt/x", "holds \"lpt9 .txt\", a device name that Windows does not store as a file", false},
      {"com\xC2\xB9.pak", "holds \"com\xC2\xB9.pak\", a device name that Windows does not store as a file", false},
      {"dir./a.pak", "holds \"dir.\", which ends in '.' that Windows drops", true},
      {"a.pak ", "holds \"a.pak \", which ends in ' ' that Windows drops", true},
      {"a<b>c.pak", "holds '<', which Windows cannot store in a name; holds '>', which Windows cannot store in a name",
       true},
      {"q?*?.pak", "holds '?', which Windows cannot store in a name; holds '*', which Windows cannot store in a name",
       true},
      {"x\"|.pak", "holds '\"', which Windows cannot store in a name; holds '|', which Windows cannot store in a name",
       true},
      {"c:game.pak", "holds ':', which Windows cannot store in a name", false},
      {"tab\there.pak", "holds 0x09, a control character", true},
      {"caf\xE9.pak", "holds the byte 0xE9, which is not UTF-8", true},
      {"over\xC0\xAF.pak", "holds the byte 0xC0, which is not UTF-8; holds the byte 0xAF, which is not UTF-8", true},
      {"back\\slash.pak", "holds '\\', which Windows reads as a folder separator", true},
      {"../escape.pak", "holds \"..\", which leaves the client folder", false},
      {"data/.. /escape.pak", "holds \".. \", which leaves the client folder", false},
      {"/root.pak", "begins with a separator: it is not a relative path inside the client folder", false},
      {"", "is empty", false},
      {std::string(256, 'n'), "is 256 bytes long; a transfer holds at most 255", true},
      {std::string(100, 'n') + std::string(301, ' ') + "x",
       "is 402 bytes long; a transfer holds at most 255; URL and name together are 1026 characters long once the name "
       "is encoded; a transfer holds at most 1023",
       true},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(PrintableName(c.name));
    EXPECT_EQ(NameRefusal(kUrl, c.name), c.refusal);
    EXPECT_EQ(IsSafeRelativeName(c.name.c_str()), c.engineFetches);
  }
  EXPECT_EQ(PrintableName("caf\xE9\x01\xC3\xA9"), "caf\\xE9\\x01\xC3\xA9");
}

TEST(NamesTest, FileUrlsCarryEachNameEncoded) {
  const struct {
    const char* name;
    const char* url;
  } cases[] = {
      {"data/maps/north-1_a.~pak", "http://h/d/data/maps/north-1_a.~pak"},
      {"Sound Banks/Ambience 1.pak", "http://h/d/Sound%20Banks/Ambience%201.pak"},
      {"Donn\xC3\xA9""es/\xC3\xA9t\xC3\xA9.pak", "http://h/d/Donn%C3%A9es/%C3%A9t%C3%A9.pak"},
      {"\xE9\x9F\xB3\xE5\xA3\xB0/\xE5\xA3\xB0.pak", "http://h/d/%E9%9F%B3%E5%A3%B0/%E5%A3%B0.pak"},
      {"#%+&'[]{}.pak", "http://h/d/%23%25%2B%26%27%5B%5D%7B%7D.pak"},
      {"a?b=c;d@e!$(),*:", "http://h/d/a%3Fb%3Dc%3Bd%40e%21%24%28%29%2C%2A%3A"},
  };
  for (const auto& c : cases) {
    char url[128];
    ASSERT_TRUE(MakeFileUrl("http://h/d/", c.name, url, sizeof url)) << c.name;
    EXPECT_STREQ(url, c.url);
    EXPECT_EQ(EncodedNameLength(c.name) + 11, std::string(c.url).size());
  }
  char small[12];
  EXPECT_FALSE(MakeFileUrl("http://h/d/", "a", small, sizeof small));
  EXPECT_STREQ(small, "");
  EXPECT_TRUE(MakeFileUrl("http://h/", "ab", small, sizeof small));
  EXPECT_STREQ(small, "http://h/ab");
}

}  // namespace
