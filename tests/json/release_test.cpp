// Trees are released whole, from the newest member to the oldest, with the
// empty entries of failed lookups; loading again keeps only the new tree.
// This executable counts every allocation (allocation_counter.cpp), so the
// checks hold on Windows too, where no leak sanitizer runs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "allocation_counter.h"
#include "json/json.h"
#include "json_test_util.h"
#include "manifest_maker.h"

namespace {

using allocation_counter::Now;

// The order in which `nodes` were freed, as indices into `nodes`.
std::vector<int> FreeOrder(const std::vector<const void*>& nodes) {
  std::vector<int> order;
  for (size_t i = 0; i < allocation_counter::RecordedFreeCount(); ++i) {
    for (size_t n = 0; n < nodes.size(); ++n) {
      if (allocation_counter::RecordedFree(i) == nodes[n]) order.push_back(static_cast<int>(n));
    }
  }
  return order;
}

TEST(ReleaseOrder, MembersGoFromNewestToOldest) {
  cJson document;
  ASSERT_TRUE(document.Parse(R"({"a":1,"b":2,"c":{"x":1,"y":2},"d":3})"));
  cJson::Node* c = document.Find("c");
  ASSERT_NE(c, nullptr);
  // Index:       0                    1                    2  3                4                5
  const std::vector<const void*> nodes = {document.Find("a"), document.Find("b"), c, c->Child("x"),
                                          c->Child("y"), document.Find("d")};
  for (const void* node : nodes) ASSERT_NE(node, nullptr);

  allocation_counter::StartRecordingFrees();
  document.root->Clear();
  allocation_counter::StopRecordingFrees();
  // d, then c's own members (y, x) before c itself, then b and a.
  EXPECT_EQ(FreeOrder(nodes), (std::vector<int>{5, 4, 3, 2, 1, 0}));
}

TEST(ReleaseOrder, ArrayElementsGoFromLastToFirst) {
  cJson document;
  ASSERT_TRUE(document.Parse(R"({"L":[{"n":0},{"n":1},{"n":2}]})"));
  cJson::Node* list = document.Find("L");
  ASSERT_NE(list, nullptr);
  std::vector<const void*> values;
  for (int i = 0; i < 3; ++i) values.push_back(list->Element(i)->Child("n"));

  allocation_counter::StartRecordingFrees();
  document.Release();
  allocation_counter::StopRecordingFrees();
  EXPECT_EQ(FreeOrder(values), (std::vector<int>{2, 1, 0}));
}

TEST(ReleaseLeaks, EmptyEntriesAndWideTextsGoWithTheTree) {
  const int64_t before = Now().liveBytes;
  {
    cJson document;
    document.Parse(R"({"a":{"b":"text"},"L":[{"n":1}]})");
    document.Find("missing");
    document.Find("missing");
    document.Find("a")->Child("gone");
    document.Find("L")->Element(0)->Child("gone");
    document.Find("a")->Child("b")->GetWideText();
    document.Release();
    document.Parse(R"({"again":1})");
    document.Find("missing");
  }
  EXPECT_EQ(Now().liveBytes, before);
}

TEST(ReleaseLeaks, LoadingAgainKeepsOnlyTheNewTree) {
  json_test::WorkingFolder folder;
  json_test::WriteFile("file.json", json_test::MakeManifest(200));
  json_test::WriteFile("fileT.json", R"({"Version": 4, "TotalSize": 12})");

  const int64_t before = Now().liveBytes;
  int64_t secondAlone = 0;
  {
    cJson document;
    ASSERT_TRUE(document.LoadFile("fileT.json"));
    secondAlone = Now().liveBytes - before;
  }
  ASSERT_EQ(Now().liveBytes, before);

  int64_t firstLoaded = 0;
  int64_t afterSecond = 0;
  int64_t afterFailed = 0;
  {
    cJson document;
    ASSERT_TRUE(document.LoadFile("file.json"));
    firstLoaded = Now().liveBytes - before;
    ASSERT_TRUE(document.LoadFile("fileT.json"));
    afterSecond = Now().liveBytes - before;
    ASSERT_FALSE(document.LoadFile("no-such-file.json"));
    afterFailed = Now().liveBytes - before;
  }
  EXPECT_EQ(afterSecond, secondAlone);
  EXPECT_GT(firstLoaded, 200 * 200);  // each element an object with its members
  EXPECT_LT(afterFailed, afterSecond);  // the failed load emptied the tree
  EXPECT_EQ(Now().liveBytes, before);
}

// Memory running out at any allocation while reading: the document reports
// failure, keeps no partial tree, and nothing leaks.
TEST(OutOfMemory, EveryFailingAllocationIsReportedAndLeaksNothing) {
  const char* text = R"({"a":1,"o":{"b":"x"},"L":[{"n":1},{"n":2}],"v":[1]})";
  const std::string whole = json_test::ParseAndDump(text);
  bool completed = false;
  for (int64_t n = 1; n < 1000 && !completed; ++n) {
    const int64_t before = Now().liveBytes;
    {
      cJson document;
      allocation_counter::FailNthNothrowAllocation(n);
      const bool parsed = document.Parse(text);
      const bool struck = allocation_counter::FailureHappened();
      allocation_counter::FailNthNothrowAllocation(0);
      if (!struck) {
        EXPECT_TRUE(parsed);
        EXPECT_EQ(json_test::Dump(document), whole);
        completed = true;
      } else {
        EXPECT_FALSE(parsed) << "allocation " << n;
        if (document.root) {
          for (MemberEntry* entry = document.root->members.newest; entry; entry = entry->older) {
            EXPECT_EQ(entry->node, nullptr) << "allocation " << n;
          }
        }
      }
      // Lookups and wide texts that cannot allocate answer null.
      if (document.root && !struck) {
        cJson::Node* b = document.Find("o")->Child("b");
        allocation_counter::FailNthNothrowAllocation(1);
        EXPECT_EQ(document.Find("missing"), nullptr);
        allocation_counter::FailNthNothrowAllocation(1);
        EXPECT_EQ(b->GetWideText(), nullptr);
        allocation_counter::FailNthNothrowAllocation(0);
        EXPECT_EQ(document.root->members.CountEntries(), 4);
        EXPECT_NE(b->GetWideText(), nullptr);
      }
    }
    EXPECT_EQ(Now().liveBytes, before) << "allocation " << n;
  }
  EXPECT_TRUE(completed);
}

}  // namespace
