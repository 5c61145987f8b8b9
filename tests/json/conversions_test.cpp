// Number and text conversions of scalar values, and what the other node
// kinds answer instead.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "json/json.h"
#include "json_test_util.h"

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();

struct Int32Case {
  const char* text;
  int32_t expected;
};

TEST(Conversions, GetIntReadsDecimalAndSaturates) {
  const Int32Case cases[] = {
      {"13", 13},
      {"12.5", 12},
      {"true", 0},
      {"", 0},
      {"  42", 42},
      {"\t\r\n 8", 8},
      {"-7", -7},
      {"+7", 7},
      {"007", 7},
      {"12abc", 12},
      {"- 5", 0},
      {"--5", 0},
      {"0x10", 0},
      {"2147483647", kInt32Max},
      {"2147483648", kInt32Max},
      {"99999999999999999999999", kInt32Max},
      {"-2147483648", kInt32Min},
      {"-2147483649", kInt32Min},
      {"-99999999999999999999999", kInt32Min},
  };
  for (const Int32Case& c : cases) {
    JsonValue value("k", c.text);
    EXPECT_EQ(value.GetInt(), c.expected) << '"' << c.text << '"';
  }
}

struct Int64Case {
  const char* text;
  int64_t expected;
};

TEST(Conversions, GetInt64ReadsDecimalAndSaturates) {
  const Int64Case cases[] = {
      {"13", 13},
      {"12.5", 12},
      {"null", 0},
      {"3000000000", 3000000000LL},
      {"-3000000000", -3000000000LL},
      {" 5368709120 bytes", 5368709120LL},
      {"9223372036854775807", kInt64Max},
      {"9223372036854775808", kInt64Max},
      {"-9223372036854775808", kInt64Min},
      {"-9223372036854775809", kInt64Min},
      {"123456789012345678901234567890", kInt64Max},
  };
  for (const Int64Case& c : cases) {
    JsonValue value("k", c.text);
    EXPECT_EQ(value.GetInt64(), c.expected) << '"' << c.text << '"';
  }
}

TEST(Conversions, GetHexReadsHexadecimalAndSaturatesAtTheSignedMaximum) {
  const Int32Case cases[] = {
      {"0x33FFff", 0x33FFFF},
      {"FFFFFF", 0xFFFFFF},
      {"0xccFF00", 0xCCFF00},
      {"0X1a", 26},
      {"10", 16},
      {"  0x10", 16},
      {"0x1G", 1},
      {"0x", 0},
      {"0xg", 0},
      {"zz", 0},
      {"", 0},
      {"-0x10", -16},
      {"0x7FFFFFFF", kInt32Max},
      // An alpha-red-green-blue colour: saturates, so it reads as white.
      {"0x80000000", kInt32Max},
      {"0xFF00FF00", kInt32Max},
      {"ffffffffff", kInt32Max},
      {"-0x80000000", kInt32Min},
      {"-0x80000001", kInt32Min},
  };
  for (const Int32Case& c : cases) {
    JsonValue value("k", c.text);
    EXPECT_EQ(value.GetHex(), c.expected) << '"' << c.text << '"';
  }
}

TEST(Conversions, GetHex64ReadsSixtyFourBits) {
  const Int64Case cases[] = {
      {"0xFFFFFFFF", 0xFFFFFFFFLL},
      {"0x123456789a", 0x123456789ALL},
      {"0x7FFFFFFFFFFFFFFF", kInt64Max},
      {"0x8000000000000000", kInt64Max},
      {"-0x8000000000000000", kInt64Min},
      {"-0x8000000000000001", kInt64Min},
      {"true", 0},
  };
  for (const Int64Case& c : cases) {
    JsonValue value("k", c.text);
    EXPECT_EQ(value.GetHex64(), c.expected) << '"' << c.text << '"';
  }
}

TEST(Conversions, GetWideTextIsMadeOnceAndKept) {
  JsonValue value("name", "Total Size");
  const WideChar* first = value.GetWideText();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(json_test::Utf16(first), u"Total Size");
  EXPECT_EQ(value.GetWideText(), first);
  EXPECT_EQ(value.size, 11);

  JsonValue empty("name", "");
  ASSERT_NE(empty.GetWideText(), nullptr);
  EXPECT_EQ(empty.GetWideText()[0], 0);
}

TEST(Conversions, ClearedValueAnswersNothing) {
  JsonValue value("color", "0x33FFff");
  ASSERT_NE(value.GetWideText(), nullptr);
  value.Clear();
  EXPECT_EQ(value.GetText(), nullptr);
  EXPECT_EQ(value.GetWideText(), nullptr);
  EXPECT_EQ(value.GetInt(), 0);
  EXPECT_EQ(value.GetInt64(), 0);
  EXPECT_EQ(value.GetHex(), 0);
  EXPECT_EQ(value.GetHex64(), 0);
}

TEST(Conversions, ContainersAnswerTheirTypeNameAndZero) {
  cJson document;
  ASSERT_TRUE(document.Parse("{\"object\":{\"a\":\"12\"},\"list\":[{\"a\":\"12\"}],\"numbers\":[1,2]}"));
  struct Expected {
    cJson::Node* node;
    int32_t kind;
    const char* typeName;
  };
  const Expected containers[] = {
      {document.Find("object"), cJson::Node::eJsonNode, "cJson::Node::eJsonNode"},
      {document.Find("list"), cJson::Node::eJsonNodes, "cJson::Node::eJsonNodes"},
      {document.Find("numbers"), cJson::Node::eJsonValues, "cJson::Node::eJsonValues"},
      {document.root, cJson::Node::eJsonNode, "cJson::Node::eJsonNode"},
  };
  for (const Expected& c : containers) {
    ASSERT_NE(c.node, nullptr) << c.typeName;
    EXPECT_EQ(c.node->kind, c.kind);
    EXPECT_STREQ(c.node->GetText(), c.typeName);
    EXPECT_EQ(c.node->GetWideText(), nullptr);
    EXPECT_EQ(c.node->GetInt(), 0);
    EXPECT_EQ(c.node->GetInt64(), 0);
    EXPECT_EQ(c.node->GetHex(), 0);
    EXPECT_EQ(c.node->GetHex64(), 0);
  }
  cJson::Node* value = document.Find("object")->Child("a");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->kind, cJson::Node::eJsonValue);
  EXPECT_STREQ(value->typeName, "cJson::Node");
  EXPECT_STREQ(document.root->key, "head-node");
  EXPECT_STREQ(document.Find("list")->Element(0)->key, "");
}

}  // namespace
