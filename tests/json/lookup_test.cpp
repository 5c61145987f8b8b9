// Lookups by key and index, the empty entries failed lookups leave behind,
// and the member table's buckets and chains.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "json/json.h"
#include "json_test_util.h"

namespace {

int ReferenceBucket(const std::string& key) {
  const std::string tail = key.size() > 8 ? key.substr(key.size() - 8) : key;
  uint64_t number = 0;
  for (size_t i = tail.size(); i-- > 0;) number = number * 256 + static_cast<unsigned char>(tail[i]);
  return static_cast<int>(number % 999);
}

int Bucket(const std::string& key) { return MemberTable::BucketOf(key.c_str(), key.size()); }

// Keys that all land in one bucket, so they share one chain.
std::vector<std::string> CollidingKeys(size_t wanted) {
  std::map<int, std::vector<std::string>> byBucket;
  for (int i = 0; i < 100000; ++i) {
    std::string key = "k" + std::to_string(i);
    std::vector<std::string>& keys = byBucket[ReferenceBucket(key)];
    keys.push_back(key);
    if (keys.size() == wanted) return keys;
  }
  return {};
}

TEST(MemberBuckets, KeyBytesAsLittleEndianNumberModulo999) {
  EXPECT_EQ(Bucket(""), 0);
  EXPECT_EQ(Bucket("a"), 97);
  EXPECT_EQ(Bucket("ab"), 210);  // 'a' + 'b' * 256 = 25185
  EXPECT_EQ(Bucket("Version"), 559);
  EXPECT_EQ(Bucket("FileList"), 481);
  EXPECT_EQ(Bucket("window-title"), 764);
  // Longer keys count by their last eight bytes only.
  EXPECT_EQ(Bucket("xxFileList"), Bucket("FileList"));
  for (const char* key : {"use-local-resource", "progressbar", "draw-rate-text", "z", "12345678"}) {
    EXPECT_EQ(Bucket(key), ReferenceBucket(key)) << key;
  }
  // A last byte of 0x80 or more still gives a bucket in range.
  const std::string high(9, '\xff');
  EXPECT_GE(Bucket(high), 0);
  EXPECT_LT(Bucket(high), 999);
}

TEST(Lookups, FindAndChildReadMembersCaseSensitively) {
  cJson document;
  ASSERT_TRUE(document.Parse(R"({"Version": 7, "font": {"value": {"size": 12}}})"));
  ASSERT_NE(document.Find("Version"), nullptr);
  EXPECT_EQ(document.Find("Version")->GetInt(), 7);
  EXPECT_EQ(document.Find("version"), nullptr);
  EXPECT_EQ(document.Find("VERSION"), nullptr);
  cJson::Node* value = document.Find("font")->Child("value");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->Find("size"), value->Child("size"));
  EXPECT_EQ(value->Child("size")->GetInt(), 12);
  // Lookups that do not apply to a kind answer null.
  EXPECT_EQ(value->Child("size")->Child("x"), nullptr);
  EXPECT_EQ(value->Child("size")->Find("x"), nullptr);
  EXPECT_EQ(value->Element(0), nullptr);
  EXPECT_EQ(value->At(0), nullptr);
  EXPECT_EQ(value->Child(nullptr), nullptr);
  cJson empty;
  EXPECT_EQ(empty.Find("Version"), nullptr);
}

TEST(Lookups, MissingKeyLeavesOneEmptyEntryFoundAgain) {
  cJson document;
  ASSERT_TRUE(document.Parse(R"({"a": 1, "b": 2})"));
  MemberTable& members = document.root->members;
  ASSERT_EQ(members.CountEntries(), 2);

  EXPECT_EQ(document.Find("message-box"), nullptr);
  EXPECT_EQ(members.CountEntries(), 3);
  ASSERT_NE(members.newest, nullptr);
  EXPECT_STREQ(members.newest->key, "message-box");
  EXPECT_EQ(members.newest->node, nullptr);

  EXPECT_EQ(document.Find("message-box"), nullptr);
  EXPECT_EQ(document.root->Child("message-box"), nullptr);
  EXPECT_EQ(members.CountEntries(), 3);
  // The real members are untouched.
  EXPECT_EQ(document.Find("a")->GetInt(), 1);
  EXPECT_EQ(document.Find("b")->GetInt(), 2);
  EXPECT_EQ(members.CountEntries(), 3);
}

TEST(Lookups, KeysBeyond127CharactersAreNeverFoundNorRecorded) {
  const std::string longest(127, 'k');
  const std::string tooLong(128, 'k');
  cJson document;
  ASSERT_TRUE(document.Parse(("{\"" + longest + "\": 5}").c_str()));
  ASSERT_NE(document.Find(longest.c_str()), nullptr);
  EXPECT_EQ(document.Find(longest.c_str())->GetInt(), 5);
  const int32_t entries = document.root->members.CountEntries();
  EXPECT_EQ(document.Find(tooLong.c_str()), nullptr);
  EXPECT_EQ(document.root->members.CountEntries(), entries);
}

TEST(Lookups, ElementAnswersOnlyIndicesInsideTheArray) {
  cJson document;
  ASSERT_TRUE(document.Parse(R"({"L": [{"n": 0}, {"n": 1}, {"n": 2}]})"));
  cJson::Node* list = document.Find("L");
  ASSERT_NE(list, nullptr);
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_NE(list->Element(i), nullptr) << i;
    EXPECT_EQ(list->Element(i), list->At(i));
    EXPECT_EQ(list->Element(i)->Child("n")->GetInt(), i);
  }
  for (int32_t outside : {3, -1, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
    EXPECT_EQ(list->Element(outside), nullptr) << outside;
    EXPECT_EQ(list->At(outside), nullptr) << outside;
  }
  EXPECT_EQ(list->Child("n"), nullptr);
  EXPECT_EQ(list->Find("n"), nullptr);
}

// Many keys in one chain, members and empty entries mixed: every key finds
// its own entry, and releasing unlinks the empty entries from the middle of
// the chain without breaking it (the sanitizers watch the walks).
TEST(Lookups, SharedChainSurvivesEmptyEntriesAndRelease) {
  const std::vector<std::string> keys = CollidingKeys(10);
  ASSERT_EQ(keys.size(), 10u);
  const int bucket = Bucket(keys[0]);

  JsonNode object("o");
  for (size_t i = 0; i < keys.size(); ++i) {
    ASSERT_EQ(Bucket(keys[i]), bucket);
    if (i % 3 == 1) {
      EXPECT_EQ(object.Child(keys[i].c_str()), nullptr);  // an empty entry
    } else {
      ASSERT_EQ(object.members.Add(keys[i].c_str(), new JsonValue(keys[i].c_str(), std::to_string(i).c_str())),
                MemberTable::AddResult::kAdded);
    }
  }
  EXPECT_EQ(object.members.CountEntries(), 10);
  // The first of equal keys wins, empty entries included.
  JsonValue second(keys[0].c_str(), "again");
  EXPECT_EQ(object.members.Add(keys[0].c_str(), &second), MemberTable::AddResult::kKeyPresent);
  EXPECT_EQ(object.members.Add(keys[1].c_str(), &second), MemberTable::AddResult::kKeyPresent);
  EXPECT_EQ(object.members.Add(std::string(128, 'k').c_str(), &second), MemberTable::AddResult::kKeyTooLong);

  for (size_t i = 0; i < keys.size(); ++i) {
    cJson::Node* found = object.Child(keys[i].c_str());
    if (i % 3 == 1) {
      EXPECT_EQ(found, nullptr) << keys[i];
    } else {
      ASSERT_NE(found, nullptr) << keys[i];
      EXPECT_EQ(found->GetInt(), static_cast<int>(i));
    }
  }
  EXPECT_EQ(object.members.CountEntries(), 10);

  object.Clear();
  const int32_t afterClear = object.members.CountEntries();
  EXPECT_LE(afterClear, 10);
  EXPECT_GE(afterClear, 7);  // the entries of the former members stay
  for (size_t i = 0; i < keys.size(); i += 3) {
    EXPECT_EQ(object.Child(keys[i].c_str()), nullptr);
  }
  EXPECT_EQ(object.members.CountEntries(), afterClear);
  // A cleared object takes members again.
  ASSERT_EQ(object.members.Add("fresh", new JsonValue("fresh", "1")), MemberTable::AddResult::kAdded);
  EXPECT_EQ(object.Child("fresh")->GetInt(), 1);
}

TEST(Lookups, ClearedArrayHasNoElements) {
  cJson document;
  ASSERT_TRUE(document.Parse(R"({"L": [{"n": 0}, {"n": 1}]})"));
  cJson::Node* list = document.Find("L");
  list->Clear();
  EXPECT_EQ(list->Element(0), nullptr);
  EXPECT_EQ(static_cast<JsonNodes*>(list)->count, 0);
  EXPECT_EQ(json_test::Dump(document), "{L:[]}");
}

}  // namespace
