#include "tools/manifest/checker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_fixture.h"

namespace {

using manifest_tool::CheckManifest;
using manifest_tool::CheckReport;

// A manifest in good order, for the cases to break one thing at a time.
std::string ManifestText(const std::string& header, const std::string& list) {
  return "{\r\n" + header + "\r\n  \"FileList\" : [\r\n" + list + "\r\n  ]\r\n}\r\n";
}
const char kHeader[] =
    "  \"Version\" : 3,\r\n  \"TotalCount\" : 2,\r\n  \"TotalSize\" : 15,\r\n"
    "  \"URL\" : \"http://127.0.0.1/client/\",";
const char kList[] =
    "    { \"Name\" : \"data/a.pak\", \"Size\" : 10 },\r\n"
    "    { \"Name\" : \"game.exe\", \"Size\" : 5 }";

class CheckerTest : public ManifestToolTest {
 protected:
  CheckReport Check(const std::string& text, bool withFolder = false) {
    WriteManifestText(text);
    return CheckManifest(ManifestToolTest::Manifest(), withFolder ? Client() : "");
  }
  // Exactly one problem, and it says `fragment`.
  void ExpectOneProblem(const CheckReport& report, const std::string& fragment) {
    ASSERT_EQ(report.problems.size(), 1u) << ::testing::PrintToString(report.problems);
    EXPECT_NE(report.problems[0].find(fragment), std::string::npos) << report.problems[0];
  }
};

TEST_F(CheckerTest, AManifestInGoodOrderPassesAndNamesItsLaunchTarget) {
  const CheckReport report = Check(ManifestText(kHeader, kList));
  EXPECT_TRUE(report.problems.empty()) << ::testing::PrintToString(report.problems);
  EXPECT_EQ(report.notes, std::vector<std::string>{"launch target: game.exe"});
}

TEST_F(CheckerTest, EachBrokenManifestShowsItsProblem) {
  struct Case {
    std::string text;
    std::string problem;
  };
  const std::string header = kHeader;
  auto replace = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF" + ManifestText(kHeader, kList), "byte-order mark"},
      {"[ " + ManifestText(kHeader, kList) + " ]", "does not begin with a JSON object"},
      {ManifestText(replace(header, "  \"Version\" : 3,\r\n", ""), kList), "has no \"Version\""},
      {ManifestText(replace(header, "\"TotalCount\" : 2", "\"Count\" : 2"), kList), "has no \"TotalCount\""},
      {ManifestText(replace(header, "\"TotalSize\" : 15", "\"Size\" : 15"), kList), "has no \"TotalSize\""},
      {ManifestText(replace(header, "\"URL\"", "\"Url\""), kList), "has no \"URL\""},
      {ManifestText(replace(header, "\"TotalCount\" : 2", "\"TotalCount\" : 1"), kList), "ignores the ones after 1"},
      {ManifestText(replace(header, "\"TotalCount\" : 2", "\"TotalCount\" : 3"), kList), "holds only 2 entries"},
      {ManifestText(replace(header, "\"TotalSize\" : 15", "\"TotalSize\" : 14"), kList), "size error on every chunk"},
      {ManifestText(replace(header, "\"TotalSize\" : 15", "\"TotalSize\" : 16"), kList), "never reach 100%"},
      {ManifestText(replace(header, "client/\"", "client\""), kList), "does not end with '/'"},
      {ManifestText(kHeader, replace(kList, "\"Size\" : 5", "\"Size\" : -5")), "which no file has"},
      {ManifestText(header + "\r\n  \"Mirrors\" : [ { \"URL\" : \"http://127.0.0.1/m\" } ],", kList),
       "mirror \"http://127.0.0.1/m\" does not end with '/'"},
      {ManifestText(header + "\r\n  \"Mirrors\" : [ \"http://127.0.0.1/m/\" ],", kList), "not an array of objects"},
      {ManifestText(kHeader, replace(kList, "game.exe", "data/a.pak")), "names a file listed before"},
      {ManifestText(kHeader, replace(kList, "game.exe", "game.bin")), "no entry ends in \".exe\""},
      {ManifestText(kHeader, replace(kList, "game.exe", "../game.exe")), "which leaves the client folder"},
      {ManifestText(kHeader, replace(kList, "game.exe", std::string(256, 'g') + ".exe")), "260 bytes long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem);
    const CheckReport report = Check(c.text);
    bool found = false;
    for (const std::string& problem : report.problems) found = found || problem.find(c.problem) != std::string::npos;
    EXPECT_TRUE(found) << ::testing::PrintToString(report.problems);
  }
}

TEST_F(CheckerTest, AListOfScalarsHasNoEntries) {
  const CheckReport report = Check(
      "{ \"Version\" : 1, \"TotalCount\" : 1, \"TotalSize\" : 1, \"URL\" : \"http://127.0.0.1/c/\", \"FileList\" : [ 1 ] }");
  bool found = false;
  for (const std::string& problem : report.problems) found = found || problem.find("not a list of objects") != std::string::npos;
  EXPECT_TRUE(found) << ::testing::PrintToString(report.problems);
}

TEST_F(CheckerTest, TheLastLaunchTargetWins) {
  const CheckReport report = Check(ManifestText(
      kHeader, "    { \"Name\" : \"a.exe\", \"Size\" : 10 },\r\n    { \"Name\" : \"b.exe\", \"Size\" : 5 }"));
  EXPECT_EQ(report.notes, std::vector<std::string>{"launch target: b.exe"});
}

TEST_F(CheckerTest, ComparedWithTheFolderMissingOtherSizedAndUnlistedFilesShow) {
  AddFile("data/a.pak", 9);
  AddFile("extra.txt", 1);
  const CheckReport report = Check(ManifestText(kHeader, kList), true);
  ASSERT_EQ(report.problems.size(), 3u) << ::testing::PrintToString(report.problems);
  EXPECT_EQ(report.problems[0], "\"data/a.pak\" is listed with 10 bytes but has 9 in the folder");
  EXPECT_EQ(report.problems[1], "\"game.exe\" is listed but not in the folder");
  EXPECT_EQ(report.problems[2], "\"extra.txt\" is in the folder but not listed");
}

TEST_F(CheckerTest, AMissingFileIsAProblem) {
  ExpectOneProblem(CheckManifest((root / "none.json").string(), ""), "cannot be read");
}

}  // namespace
