// The reader's accepted form and its quirks, text cut short, the limits on
// keys, scalars and nesting, and texts that are not documents at all.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "json/json.h"
#include "json/parser.h"
#include "json_test_util.h"

namespace {

using json_test::Dump;
using json_test::ParseAndDump;

struct Case {
  const char* name;
  std::string text;
  std::string tree;  // json_test::Dump of the result, or "rejected"
};

void ExpectTrees(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(ParseAndDump(cases[i].text), cases[i].tree) << cases[i].name << "\n  text: " << cases[i].text;
  }
}

TEST(ParserForm, AcceptedForm) {
  const Case cases[] = {
      {"one member", R"({"a":1})", R"({a:"1"})"},
      {"scalars are kept as their text", R"({"n":12,"t":true,"f":false,"z":null,"s":"x","d":-1.5e3})",
       R"({n:"12",t:"true",f:"false",z:"null",s:"x",d:"-1.5e3"})"},
      {"nested objects", R"({"a":{"b":{"c":1}},"d":2})", R"({a:{b:{c:"1"}},d:"2"})"},
      {"nested object followed by members", R"({"o":{"x":1,"y":2},"p":{"z":3},"q":4})",
       R"({o:{x:"1",y:"2"},p:{z:"3"},q:"4"})"},
      {"array of flat objects", R"({"L":[{"a":1,"b":2},{"a":3}]})", R"({L:[{a:"1",b:"2"},{a:"3"}]})"},
      {"array inside a nested object, not last", R"({"o":{"L":[{"a":1}],"x":2},"y":3})",
       R"({o:{L:[{a:"1"}],x:"2"},y:"3"})"},
      {"manifest form", R"({"Version":3,"URL":"http://127.0.0.1:1/c/","FileList":[{"Name":"a.pak","Size":5}]})",
       R"({Version:"3",URL:"http://127.0.0.1:1/c/",FileList:[{Name:"a.pak",Size:"5"}]})"},
      {"white space before the root", " \t\r\n{\"a\":1}", R"({a:"1"})"},
      {"text after the root is ignored", R"({"a":1} {"b":2} garbage)", R"({a:"1"})"},
      {"':', '{' and a quoted '}' stay in a value", R"({"u":"http://h:1/{x}/"})", R"({u:"http://h:1/{x}/"})"},
      {"an unquoted '}' ends a value", R"({"u":h:1/{x}/})", R"({u:"h:1/{x"})"},
  };
  ExpectTrees(cases, sizeof cases / sizeof cases[0]);
}

TEST(ParserForm, RawTextWithoutEscapes) {
  const Case cases[] = {
      {"Windows path keeps its trailing backslash", R"({"default":"c:\PLAX\download\zt_kr\"})",
       R"({default:"c:\PLAX\download\zt_kr\"})"},
      {"backslash before a quote or a backslash stays", R"({"p":"a\"b\\"})", R"({p:"a\"b\\"})"},
      {"trailing spaces inside quotes go, leading ones stay", R"({"s":"  x  "})", R"({s:"  x"})"},
      {"white space around a value", "{\"s\" :\t \"x\" \r\n}", R"({s:"x"})"},
      {"unquoted text is a scalar too", R"({"s": hello world })", R"({s:"hello world"})"},
      {"empty value", R"({"s":"","t":1})", R"({s:"",t:"1"})"},
      {"every quote at the end goes", R"({"s":"x""""})", R"({s:"x"})"},
  };
  ExpectTrees(cases, sizeof cases / sizeof cases[0]);
}

TEST(ParserQuirks, KeysValuesAndArrays) {
  const Case cases[] = {
      {"a key loses the character before its colon", R"({abc:1})", R"({ab:"1"})"},
      {"spaces before the colon are not that character", R"({ "abc" : 1 })", R"({abc:"1"})"},
      {"a quoted comma stays in its string", R"({"s":"Hello, World.ogg","c":1})", R"({s:"Hello, World.ogg",c:"1"})"},
      {"a quoted brace stays in its string", R"({"s":"a}b","c":1})", R"({s:"a}b",c:"1"})"},
      {"a comma cuts an unquoted value; the rest starts the next key", R"({"s":a,b,"c":1})", R"({s:"a",b,"c:"1"})"},
      {"a string's closing quote closes it after a backslash too", R"({"d":"c:\x\","e":2})", R"({d:"c:\x\",e:"2"})"},
      {"the first of two equal keys wins", R"({"a":1,"a":2})", R"({a:"1"})"},
      {"the first of two equal objects wins", R"({"a":{"x":1},"a":{"y":2},"b":3})", R"({a:{x:"1"},b:"3"})"},
      {"an empty array is an empty scalar array and ends the object", R"({"a":1,"v":[],"b":2})",
       R"({a:"1",v:[]})"},
      {"an array of numbers likewise", R"({"v":[1,2,3],"b":2})", R"({v:[]})"},
      {"an array of strings likewise", R"({"v":["x","y"]})", R"({v:[]})"},
      {"elements are counted by '{' up to the first ']'", R"({"L":[{"a":1}],"M":[{"b":2},{"c":3}]})",
       R"({L:[{a:"1"}],M:[{b:"2"},{c:"3"}]})"},
      {"a '{' or ']' inside a scalar is text", R"({"L":[{"a":"x]{"},{"a":"y"}]})", R"({L:[{a:"x]{"},{a:"y"}]})"},
      {"nested braces in an element count as elements", R"({"L":[{"a":{"b":1}}]})",
       R"({L:[{a:{b:"1"}},{}]})"},
  };
  ExpectTrees(cases, sizeof cases / sizeof cases[0]);
}

TEST(ParserQuirks, TextsThatAreNoDocument) {
  const Case cases[] = {
      {"empty", "", "rejected"},
      {"white space only", " \r\n\t", "rejected"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF{\"a\":1}", "rejected"},
      {"array root", R"([{"a":1}])", "rejected"},
      {"text before the root", R"(x{"a":1})", "rejected"},
      {"vertical tab is no white space here", "\v{\"a\":1}", "rejected"},
  };
  ExpectTrees(cases, sizeof cases / sizeof cases[0]);

  cJson document;
  EXPECT_FALSE(document.Parse(nullptr));
  EXPECT_EQ(document.root, nullptr);
  // A rejected text leaves the previous tree as it was.
  ASSERT_TRUE(document.Parse(R"({"a":1})"));
  EXPECT_FALSE(document.Parse("[1]"));
  EXPECT_EQ(Dump(document), R"({a:"1"})");
}

// The text ends inside a member: that member is dropped and the reading
// ends; what was complete before it stays, and no value is ever cut.
TEST(ParserLimits, TextCutShort) {
  const Case cases[] = {
      {"only the brace", "{", "{}"},
      {"inside a key", R"({"a":1,"bc)", R"({a:"1"})"},
      {"after a colon", R"({"a":1,"b":)", R"({a:"1"})"},
      {"inside an unquoted number", R"({"a":1,"b":1234)", R"({a:"1"})"},
      {"inside a quoted string", R"({"a":1,"b":"some/na)", R"({a:"1"})"},
      {"inside a nested object", R"({"a":{"x":1,"y":2)", R"({a:{x:"1"}})"},
      {"after a nested object", R"({"a":{"x":1})", R"({a:{x:"1"}})"},
      {"inside an object array", R"({"n":1,"L":[{"a":1},{"a":2})", R"({n:"1"})"},
      {"object array without its ']'", R"({"n":1,"L":[{"a":1},{"a":2}})", R"({n:"1"})"},
      {"after an object array", R"({"L":[{"a":1}])", R"({L:[{a:"1"}]})"},
      {"after a comma", R"({"a":1,)", R"({a:"1"})"},
      {"right after '['", "{\"a\":1,\"L\":[ \r\n", R"({a:"1"})"},
  };
  ExpectTrees(cases, sizeof cases / sizeof cases[0]);
}

TEST(ParserLimits, OverlongKeysAndScalarsAreSkipped) {
  const std::string key127(127, 'k');
  const std::string key128(128, 'k');
  const std::string value1023(1023, 'v');
  const std::string value1024(1024, 'v');
  const Case cases[] = {
      {"key of 127 characters", "{\"" + key127 + "\":1,\"b\":2}", "{" + key127 + ":\"1\",b:\"2\"}"},
      {"key of 128 characters", "{\"" + key128 + "\":1,\"b\":2}", R"({b:"2"})"},
      {"object under a too long key is read past", "{\"" + key128 + "\":{\"x\":1,\"y\":2},\"b\":2}", R"({b:"2"})"},
      {"array under a too long key is read past", "{\"" + key128 + "\":[{\"x\":1}],\"b\":2}", R"({b:"2"})"},
      {"scalar of 1023 characters", "{\"a\":\"" + value1023 + "\",\"b\":2}", "{a:\"" + value1023 + "\",b:\"2\"}"},
      {"scalar of 1024 characters", "{\"a\":\"" + value1024 + "\",\"b\":2}", R"({b:"2"})"},
      {"unquoted scalar of 1024 characters", "{\"a\":" + value1024 + ",\"b\":2}", R"({b:"2"})"},
  };
  ExpectTrees(cases, sizeof cases / sizeof cases[0]);
}

std::string Nested(int objects) {
  std::string text;
  for (int i = 0; i < objects; ++i) text += i ? "\"k\":{" : "{";
  text += "\"v\":1";
  text.append(static_cast<size_t>(objects), '}');
  return text;
}

TEST(ParserLimits, NestingIsBounded) {
  const int deepest = JsonParser::kMaxDepth;
  {
    cJson document;
    ASSERT_TRUE(document.Parse(Nested(deepest).c_str()));
    cJson::Node* node = document.root;
    for (int i = 1; i < deepest; ++i) node = node ? node->Child("k") : nullptr;
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->Child("v"), nullptr);
    EXPECT_EQ(node->Child("v")->GetInt(), 1);
  }
  {
    // One level more: the reading ends where the nesting goes too deep.
    cJson document;
    ASSERT_TRUE(document.Parse(Nested(deepest + 1).c_str()));
    EXPECT_EQ(json_test::CountObjects(document.root), deepest);
  }
  {
    // Far too deep for any stack if it were followed.
    cJson document;
    ASSERT_TRUE(document.Parse(Nested(200000).c_str()));
    EXPECT_EQ(json_test::CountObjects(document.root), deepest);
  }
  {
    // Arrays nested in array elements: each counts the braces of all the
    // others, which would make about 2000 * 2000 / 2 elements at 64 levels.
    std::string arrays = "{";
    for (int i = 0; i < 2000; ++i) arrays += "\"L\":[{";
    cJson document;
    ASSERT_TRUE(document.Parse((arrays + "\"v\":1}]}").c_str()));
    EXPECT_LE(json_test::CountObjects(document.root), 2 * 2001);
  }
}

// Braces counted again (nested inside elements) never make more than two
// object nodes a brace.
TEST(ParserLimits, ObjectNodesNeverOutnumberBraces) {
  const std::string texts[] = {
      R"({"a":[{"b":[{"c":[{"d":1}]}]}],"e":2})",
      "{\"a\":[{" + std::string(5000, '{') + "]}",
      R"({"L":[{"x":{"y":{"z":1}}},{"x":1}]})",
  };
  for (const std::string& text : texts) {
    cJson document;
    ASSERT_TRUE(document.Parse(text.c_str()));
    int braces = 0;
    for (char c : text) braces += c == '{';
    EXPECT_LE(json_test::CountObjects(document.root), 2 * braces) << text.substr(0, 60);
  }
}

}  // namespace
