// The embedded UX documents, read through the same lookups the window, the
// buttons, the progress bar and the information panel use.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "json/embedded_text.h"
#include "json/json.h"
#include "json_test_util.h"
#include "resources/resource_ids.h"

namespace {

using json_test::Utf16;

struct Color {
  double red, green, blue;
};

// How every reader turns "color" into channels.
Color ChannelsOf(cJson::Node* color) {
  const int32_t value = color->GetHex();
  return {((value >> 16) & 255) / 255.0, ((value >> 8) & 255) / 255.0, (value & 255) / 255.0};
}

// Find on the root for the first key, Child below it; null on any gap.
cJson::Node* Lookup(cJson& document, std::vector<const char*> path) {
  cJson::Node* node = document.Find(path[0]);
  for (size_t i = 1; node && i < path.size(); ++i) node = node->Child(path[i]);
  return node;
}

class UxDocument : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ux.LoadEmbedded(RESOURCE_UX_DOCUMENT)); }
  cJson ux;
};

TEST_F(UxDocument, RootAndVersion) {
  ASSERT_NE(ux.root, nullptr);
  EXPECT_STREQ(ux.root->key, "head-node");
  ASSERT_NE(ux.Find("version"), nullptr);
  EXPECT_STREQ(ux.Find("version")->GetText(), "201904221642");
  ASSERT_NE(ux.Find("window-title"), nullptr);
  EXPECT_NE(std::strstr(ux.Find("window-title")->GetText(), "TARVIK"), nullptr);
  ASSERT_NE(ux.Find("use-local-resource"), nullptr);
  EXPECT_STREQ(ux.Find("use-local-resource")->GetText(), "true");
  // No message-box object: the built-in texts are the ones in use.
  EXPECT_EQ(ux.Find("message-box"), nullptr);
  ASSERT_NE(ux.Find("server-url"), nullptr);
  EXPECT_EQ(std::strncmp(ux.Find("server-url")->GetText(), "http://127.0.0.1", 16), 0);
}

TEST_F(UxDocument, FolderSettings) {
  cJson::Node* folder = ux.Find("folder");
  ASSERT_NE(folder, nullptr);
  ASSERT_NE(folder->Child("default"), nullptr);
  const std::string path = folder->Child("default")->GetText();
  // A Windows path with single backslashes, ending in one, read verbatim.
  EXPECT_EQ(path, "c:\\TARVIK\\download\\");
  ASSERT_NE(folder->Child("x"), nullptr);
  ASSERT_NE(folder->Child("y"), nullptr);
  EXPECT_EQ(folder->Child("x")->GetInt(), 128);
  EXPECT_EQ(folder->Child("y")->GetInt(), 343);
}

TEST_F(UxDocument, Fonts) {
  struct Expected {
    const char* font;
    int32_t color;
  };
  for (const Expected& e : {Expected{"value", 0xCCFF00}, Expected{"tag", 0xFFFFFF}, Expected{"progressbar", 0xFFFFFF}}) {
    cJson::Node* font = Lookup(ux, {"font", e.font});
    ASSERT_NE(font, nullptr) << e.font;
    for (const char* key : {"name", "size", "alpha", "color"}) ASSERT_NE(font->Child(key), nullptr) << key;
    EXPECT_EQ(Utf16(font->Child("name")->GetWideText()), u"Arial");
    EXPECT_EQ(static_cast<float>(font->Child("size")->GetInt()), 12.0f);
    EXPECT_DOUBLE_EQ(font->Child("alpha")->GetInt() / 100.0, 0.79);
    EXPECT_EQ(font->Child("color")->GetHex(), e.color) << e.font;
  }
  const Color value = ChannelsOf(Lookup(ux, {"font", "value", "color"}));
  EXPECT_DOUBLE_EQ(value.red, 0xCC / 255.0);
  EXPECT_DOUBLE_EQ(value.green, 1.0);
  EXPECT_DOUBLE_EQ(value.blue, 0.0);
  cJson::Node* title = Lookup(ux, {"font", "title", "color"});
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->GetHex(), 0x33FFFF);
}

TEST_F(UxDocument, Buttons) {
  struct Expected {
    const char* key;
    int32_t x;
    const char16_t* stem;
  };
  const Expected buttons[] = {
      {"launch", 312, u"skin/btn_run"},   {"start", 390, u"skin/btn_start"},  {"pause", 468, u"skin/btn_stop"},
      {"cancel", 546, u"skin/btn_close"}, {"folder", 29, u"skin/btn_folder"},
  };
  for (const Expected& b : buttons) {
    cJson::Node* button = Lookup(ux, {"button", b.key});
    ASSERT_NE(button, nullptr) << b.key;
    ASSERT_NE(button->Child("x"), nullptr) << b.key;
    ASSERT_NE(button->Child("y"), nullptr) << b.key;
    EXPECT_EQ(button->Child("x")->GetInt(), b.x) << b.key;
    EXPECT_EQ(button->Child("y")->GetInt(), 335) << b.key;
    const std::u16string stem = b.stem;
    const std::pair<const char*, const char16_t*> states[] = {
        {"normal", u".jpg"}, {"over", u"_mo.jpg"}, {"down", u"_se.jpg"}, {"disable", u"_di.jpg"}};
    for (const auto& state : states) {
      cJson::Node* picture = button->Child(state.first);
      ASSERT_NE(picture, nullptr) << b.key << "/" << state.first;
      EXPECT_EQ(Utf16(picture->GetWideText()), stem + state.second) << b.key << "/" << state.first;
    }
  }
}

TEST_F(UxDocument, ProgressBar) {
  cJson::Node* total = Lookup(ux, {"progressbar", "total"});
  ASSERT_NE(total, nullptr);
  const std::pair<const char*, int32_t> numbers[] = {{"x", 30}, {"y", 306}, {"width", 586}, {"height", 18}};
  for (const auto& n : numbers) {
    ASSERT_NE(total->Child(n.first), nullptr) << n.first;
    EXPECT_EQ(total->Child(n.first)->GetInt(), n.second) << n.first;
  }
  ASSERT_NE(total->Child("bg-color"), nullptr);
  ASSERT_NE(total->Child("fg-color"), nullptr);
  const Color background = ChannelsOf(total->Child("bg-color"));
  EXPECT_DOUBLE_EQ(background.red, 0x33 / 255.0);
  EXPECT_DOUBLE_EQ(background.green, 0x33 / 255.0);
  EXPECT_DOUBLE_EQ(background.blue, 0x33 / 255.0);
  const Color fill = ChannelsOf(total->Child("fg-color"));
  EXPECT_DOUBLE_EQ(fill.red, 0x33 / 255.0);
  EXPECT_DOUBLE_EQ(fill.green, 0xDD / 255.0);
  EXPECT_DOUBLE_EQ(fill.blue, 1.0);
  ASSERT_NE(total->Child("draw-rate-text"), nullptr);
  EXPECT_STREQ(total->Child("draw-rate-text")->GetText(), "true");
}

TEST_F(UxDocument, InformationPanelLabels) {
  struct Expected {
    const char* key;
    const char16_t* name;
    int32_t x;
  };
  const Expected tags[] = {{"time-remaining", u"Remained", 0},
                           {"elapse-time", u"Elapsed", 120},
                           {"total-recv", u"Transfered", 290},
                           {"total-size", u"Total Size", 445}};
  cJson::Node* tag = Lookup(ux, {"text", "tag"});
  ASSERT_NE(tag, nullptr);
  for (const Expected& t : tags) {
    cJson::Node* item = tag->Child(t.key);
    ASSERT_NE(item, nullptr) << t.key;
    ASSERT_NE(item->Child("name"), nullptr) << t.key;
    ASSERT_NE(item->Child("x"), nullptr) << t.key;
    EXPECT_EQ(Utf16(item->Child("name")->GetWideText()), t.name) << t.key;
    EXPECT_EQ(item->Child("x")->GetInt(), t.x) << t.key;
  }
}

// The shipped text itself: ASCII, CRLF line ends, two-space indentation,
// blank lines between groups, no byte-order mark.
TEST(UxDocumentText, WrittenAsShipped) {
  std::unique_ptr<char[]> bytes;
  ASSERT_EQ(json::ReadEmbeddedText(RESOURCE_UX_DOCUMENT, &bytes), json::EmbeddedRead::kRead);
  const std::string text = bytes.get();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text[0], '{');
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    ASSERT_LT(c, 0x80) << "offset " << i;
    if (c == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "offset " << i;
    }
    if (c == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "offset " << i;
    }
    if (c == '\t') ADD_FAILURE() << "tab at offset " << i;
    if (i == 0 || text[i - 1] == '\n') {
      size_t indent = 0;
      while (i + indent < text.size() && text[i + indent] == ' ') ++indent;
      EXPECT_EQ(indent % 2, 0u) << "offset " << i;
    }
  }
  EXPECT_NE(text.find("\r\n\r\n"), std::string::npos);
  EXPECT_EQ(text.find("message-box"), std::string::npos);
}

// Every member the program reads, for the three skins.
const std::vector<std::vector<const char*>>& ReadMembers() {
  static const std::vector<std::vector<const char*>> members = [] {
    std::vector<std::vector<const char*>> list = {
        {"version"}, {"use-local-resource"}, {"window-title"}, {"folder", "default"}, {"folder", "x"},
        {"folder", "y"}, {"progressbar", "total", "x"}, {"progressbar", "total", "y"},
        {"progressbar", "total", "width"}, {"progressbar", "total", "height"},
        {"progressbar", "total", "bg-color"}, {"progressbar", "total", "fg-color"},
        {"progressbar", "total", "draw-rate-text"}};
    for (const char* font : {"value", "progressbar", "tag"}) {
      for (const char* key : {"name", "size", "alpha", "color"}) list.push_back({"font", font, key});
    }
    for (const char* button : {"launch", "start", "pause", "cancel", "folder"}) {
      for (const char* key : {"x", "y", "normal", "over", "down", "disable"}) list.push_back({"button", button, key});
    }
    for (const char* item : {"time-remaining", "elapse-time", "total-recv", "total-size"}) {
      for (const char* key : {"name", "x"}) list.push_back({"text", "tag", item, key});
    }
    return list;
  }();
  return members;
}

TEST(UxVariants, EverySkinHoldsEveryMemberTheProgramReads) {
  for (int id : {103, 104, 105}) {
    cJson skin;
    ASSERT_TRUE(skin.LoadEmbedded(id)) << id;
    for (const auto& path : ReadMembers()) {
      std::string name;
      for (const char* key : path) name += std::string("/") + key;
      EXPECT_NE(Lookup(skin, path), nullptr) << id << name;
    }
    EXPECT_EQ(skin.Find("message-box"), nullptr) << id;
    // Labels fit the panel's buffer: 13 characters (and 13 bytes) at most.
    for (const char* item : {"time-remaining", "elapse-time", "total-recv", "total-size"}) {
      cJson::Node* name = Lookup(skin, {"text", "tag", item, "name"});
      ASSERT_NE(name, nullptr);
      EXPECT_LE(std::strlen(name->GetText()), 13u) << id << " " << item;
    }
  }
}

TEST(UxVariants, OtherSkinsDifferInTitleFolderAndLabels) {
  cJson shipped, classic, korean;
  ASSERT_TRUE(shipped.LoadEmbedded(104));
  ASSERT_TRUE(classic.LoadEmbedded(103));
  ASSERT_TRUE(korean.LoadEmbedded(105));
  for (cJson* variant : {&classic, &korean}) {
    EXPECT_STRNE(variant->Find("window-title")->GetText(), shipped.Find("window-title")->GetText());
    EXPECT_NE(Lookup(*variant, {"folder", "x"})->GetInt(), 128);
    EXPECT_STRNE(Lookup(*variant, {"text", "tag", "total-size", "name"})->GetText(), "Total Size");
  }
  // 105 is written in code page 949: its labels and font names are
  // double-byte Hangul (lead 0x81-0xFE, trail 0x41-0xFE), never ASCII only.
  std::vector<cJson::Node*> koreanTexts = {Lookup(korean, {"font", "value", "name"}),
                                           Lookup(korean, {"font", "tag", "name"})};
  for (const char* item : {"time-remaining", "elapse-time", "total-recv", "total-size"}) {
    koreanTexts.push_back(Lookup(korean, {"text", "tag", item, "name"}));
  }
  for (cJson::Node* node : koreanTexts) {
    ASSERT_NE(node, nullptr);
    const unsigned char* text = reinterpret_cast<const unsigned char*>(node->GetText());
    bool hasHangul = false;
    for (size_t i = 0; text[i]; ++i) {
      if (text[i] < 0x80) continue;
      ASSERT_GE(text[i], 0x81) << node->GetText();
      ASSERT_NE(text[i + 1], 0) << node->GetText();
      EXPECT_GE(text[i + 1], 0x41) << node->GetText();
      hasHangul = true;
      ++i;
    }
    EXPECT_TRUE(hasHangul) << node->GetText();
  }
}

TEST(UxVariants, MissingOrNonDocumentResourcesLoadNothing) {
  // 101 is the icon, not an RCDATA resource; 999 does not exist.
  for (int id : {101, 999}) {
    cJson document;
    EXPECT_FALSE(document.LoadEmbedded(id)) << id;
    EXPECT_EQ(document.root, nullptr) << id;
  }
}

}  // namespace
