// Loading documents from files: the states a document goes through, the
// manifest read the way the download manager reads it, and texts cut short.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "json/embedded_text.h"
#include "json/json.h"
#include "json_test_util.h"
#include "manifest_maker.h"
#include "resources/resource_ids.h"

namespace {

using json_test::Dump;
using json_test::WorkingFolder;
using json_test::WriteFile;

TEST(LoadFile, MissingFileFailsAndEmptiesALoadedDocument) {
  WorkingFolder folder;
  cJson fresh;
  EXPECT_FALSE(fresh.LoadFile("file.json"));
  EXPECT_EQ(fresh.root, nullptr);
  EXPECT_EQ(fresh.Find("Version"), nullptr);

  WriteFile("file.json", R"({"Version": 3, "TotalSize": 10})");
  cJson loaded;
  ASSERT_TRUE(loaded.LoadFile("file.json"));
  EXPECT_STREQ(loaded.sourcePath, "file.json");
  EXPECT_EQ(loaded.Find("Version")->GetInt(), 3);

  EXPECT_FALSE(loaded.LoadFile("fileT.json"));
  ASSERT_NE(loaded.root, nullptr);
  EXPECT_EQ(loaded.Find("Version"), nullptr);
  EXPECT_EQ(loaded.Find("TotalSize"), nullptr);
  EXPECT_STREQ(loaded.root->key, "head-node");

  loaded.Release();
  EXPECT_EQ(loaded.root, nullptr);
  EXPECT_EQ(loaded.Find("Version"), nullptr);
}

TEST(LoadFile, SecondLoadKeepsOnlyTheSecondTree) {
  WorkingFolder folder;
  WriteFile("file.json", json_test::MakeManifest(50, 3));
  WriteFile("fileT.json", R"({"Version": 4, "Extra": "only here"})");
  cJson document;
  ASSERT_TRUE(document.LoadFile("file.json"));
  ASSERT_NE(document.Find("FileList"), nullptr);
  ASSERT_TRUE(document.LoadFile("fileT.json"));
  EXPECT_STREQ(document.sourcePath, "fileT.json");
  EXPECT_EQ(Dump(document), R"({Version:"4",Extra:"only here"})");
  // Loading the first again replaces the second just as completely.
  ASSERT_TRUE(document.LoadFile("file.json"));
  EXPECT_EQ(document.Find("Extra"), nullptr);
  EXPECT_EQ(document.Find("Version")->GetInt(), 3);
}

TEST(LoadFile, ByteOrderMarkOrNoObjectFails) {
  WorkingFolder folder;
  WriteFile("bom.json", "\xEF\xBB\xBF{\"Version\": 3}");
  WriteFile("array.json", R"([{"Version": 3}])");
  WriteFile("empty.json", "");
  for (const char* name : {"bom.json", "array.json", "empty.json"}) {
    cJson document;
    EXPECT_FALSE(document.LoadFile(name)) << name;
    EXPECT_EQ(document.root, nullptr) << name;
  }
}

TEST(LoadFile, LineEndsAndControlBytesAreReadAsTheyAre) {
  WorkingFolder folder;
  // CR LF must reach the reader untranslated, and a byte 0x1A (end of file
  // in text mode) must not end the reading.
  WriteFile("file.json", "{\r\n  \"a\": \"x\x1Ay\",\r\n  \"b\": 2\r\n}\r\n");
  cJson document;
  ASSERT_TRUE(document.LoadFile("file.json"));
  EXPECT_EQ(Dump(document), "{a:\"x\x1Ay\",b:\"2\"}");
}

TEST(LoadFile, PathsLongerThan127CharactersAreRefused) {
  WorkingFolder folder;
  const std::string longest = std::string(122, 'p') + ".json";  // 127 characters
  const std::string tooLong = std::string(123, 'p') + ".json";  // 128 characters
  WriteFile(longest, R"({"a": 1})");
  WriteFile(tooLong, R"({"a": 2})");
  cJson document;
  ASSERT_TRUE(document.LoadFile(longest.c_str()));
  EXPECT_EQ(document.Find("a")->GetInt(), 1);
  EXPECT_STREQ(document.sourcePath, longest.c_str());
  EXPECT_FALSE(document.LoadFile(tooLong.c_str()));
  EXPECT_EQ(document.Find("a"), nullptr);
  EXPECT_STREQ(document.sourcePath, longest.c_str());
  EXPECT_FALSE(document.LoadFile(nullptr));
}

TEST(LoadFile, PathWithBackslashesOpensTheFileInASubfolder) {
  WorkingFolder folder;
  std::filesystem::create_directories(folder.path() / "zt_kr");
  WriteFile(folder.path() / "zt_kr" / "file.json", R"({"Version": 9})");
  cJson document;
  ASSERT_TRUE(document.LoadFile("zt_kr\\file.json"));
  EXPECT_EQ(document.Find("Version")->GetInt(), 9);
  EXPECT_STREQ(document.sourcePath, "zt_kr\\file.json");
}

// The download manager's walk: root Find, Element, Child, GetText, GetInt64.
TEST(Manifest, EveryEntryReadsBack) {
  WorkingFolder folder;
  const int entries = 500;
  WriteFile("file.json", json_test::MakeManifest(entries, 7));
  cJson manifest;
  ASSERT_TRUE(manifest.LoadFile("file.json"));
  ASSERT_NE(manifest.Find("Version"), nullptr);
  EXPECT_EQ(manifest.Find("Version")->GetInt(), 7);
  EXPECT_EQ(manifest.Find("TotalCount")->GetInt(), entries);
  EXPECT_STREQ(manifest.Find("URL")->GetText(), "http://127.0.0.1:28080/client/");
  cJson::Node* list = manifest.Find("FileList");
  ASSERT_NE(list, nullptr);
  int64_t total = 0;
  for (int i = 0; i < entries; ++i) {
    cJson::Node* entry = list->Element(i);
    ASSERT_NE(entry, nullptr) << i;
    ASSERT_NE(entry->Child("Name"), nullptr) << i;
    ASSERT_NE(entry->Child("Size"), nullptr) << i;
    EXPECT_EQ(entry->Child("Name")->GetText(), json_test::ManifestEntryName(i)) << i;
    EXPECT_EQ(entry->Child("Size")->GetInt64(), json_test::ManifestEntrySize(i)) << i;
    total += entry->Child("Size")->GetInt64();
  }
  EXPECT_EQ(list->Element(entries), nullptr);
  EXPECT_EQ(manifest.Find("TotalSize")->GetInt64(), total);
}

// Every value a cut-short text yields is a whole value of the full text.
void ExpectPartOf(cJson::Node* part, cJson::Node* whole, const std::string& path) {
  ASSERT_NE(whole, nullptr) << path;
  ASSERT_EQ(part->kind, whole->kind) << path;
  if (part->kind == cJson::Node::eJsonValue) {
    EXPECT_STREQ(part->GetText(), whole->GetText()) << path;
  } else if (part->kind == cJson::Node::eJsonNodes) {
    auto* partList = static_cast<JsonNodes*>(part);
    auto* wholeList = static_cast<JsonNodes*>(whole);
    ASSERT_EQ(partList->count, wholeList->count) << path;
    for (int32_t i = 0; i < partList->count; ++i) {
      ExpectPartOf(partList->Element(i), wholeList->Element(i), path + "/" + std::to_string(i));
    }
  } else if (part->kind == cJson::Node::eJsonNode) {
    for (MemberEntry* entry = static_cast<JsonNode*>(part)->members.newest; entry; entry = entry->older) {
      if (entry->node) ExpectPartOf(entry->node, whole->Child(entry->key), path + "/" + entry->key);
    }
  }
}

TEST(CutShort, EveryPrefixOfAManifestOrUxDocumentKeepsOnlyWholeValues) {
  std::unique_ptr<char[]> ux;
  ASSERT_EQ(json::ReadEmbeddedText(RESOURCE_UX_DOCUMENT, &ux), json::EmbeddedRead::kRead);
  const std::string texts[] = {
      json_test::MakeManifest(6),
      ux.get(),
      R"({"a":{"b":{"c":"x,y"},"d":[{"e":1},{"e":2}],"f":3},"g":[1,2],"h":4})",
  };
  for (const std::string& full : texts) {
    cJson whole;
    ASSERT_TRUE(whole.Parse(full.c_str()));
    for (size_t cut = 0; cut < full.size(); ++cut) {
      const std::string prefix = full.substr(0, cut);
      cJson part;
      const bool parsed = part.Parse(prefix.c_str());
      EXPECT_EQ(parsed, cut > 0) << cut;
      if (parsed) ExpectPartOf(part.root, whole.root, "cut " + std::to_string(cut));
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
