#include "download/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/system.h"
#include "tests/support/wait_until.h"

namespace {

// A body that returns at once, counting its runs.
class cOneShot : public cThread {
 public:
  cOneShot() : cThread("cOneShot") {}
  void OnExecute() override {
    sawRunning = running.load();
    ++runs;
  }
  std::atomic<int> runs{0};
  std::atomic<int> sawRunning{-1};
};

// A body that polls `running` every 33 ms, like every body of the program.
class cPoller : public cThread {
 public:
  cPoller() : cThread("cPoller") {}
  void OnExecute() override {
    started = true;
    while (running) {
      ++polls;
      platform::SleepMs(33);
    }
    finished = true;
  }
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
  std::atomic<int> polls{0};
};

TEST(ThreadTest, NameIsCutToItsBuffer) {
  const std::string longName(300, 'n');
  struct cNamed : cThread {
    explicit cNamed(const char* n) : cThread(n) {}
    void OnExecute() override {}
  } thread(longName.c_str());
  EXPECT_EQ(std::string(thread.name), std::string(127, 'n'));
}

TEST(ThreadTest, BodyThatReturnsByItselfClearsRunningButNotJoined) {
  cOneShot thread;
  thread.Start();
  EXPECT_EQ(thread.threadCount, 1);
  ASSERT_EQ(thread.threads.size(), 1u);
  ASSERT_TRUE(WaitUntil([&] { return thread.running == 0; }));
  EXPECT_EQ(thread.runs, 1);
  EXPECT_EQ(thread.sawRunning, 1) << "the body must see running set when it starts";
  EXPECT_EQ(thread.running, 0);
  EXPECT_EQ(thread.joined, 0);
}

TEST(ThreadTest, StopClearsRunningAndWaitsForThePollingBody) {
  cPoller thread;
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return thread.started.load(); }));
  thread.Stop();
  EXPECT_TRUE(thread.finished) << "Stop returned before the body ended";
  EXPECT_EQ(thread.running, 0);
  EXPECT_EQ(thread.joined, 1);
}

TEST(ThreadTest, SecondStopDoesNothing) {
  cPoller thread;
  thread.Start();
  thread.Stop();
  const int pollsAfterFirstStop = thread.polls;
  thread.running = 1;  // a second Stop must not touch the flag again
  thread.Stop();
  EXPECT_EQ(thread.running, 1);
  EXPECT_EQ(thread.joined, 1);
  EXPECT_EQ(thread.polls, pollsAfterFirstStop);
  thread.running = 0;
}

TEST(ThreadTest, StopOfANeverStartedObjectWaitsForNothing) {
  cOneShot thread;
  thread.running = 1;
  thread.Stop();
  EXPECT_EQ(thread.running, 0);
  EXPECT_EQ(thread.joined, 1);
  EXPECT_TRUE(thread.threads.empty());
  EXPECT_EQ(thread.runs, 0);
}

TEST(ThreadTest, DestroyingFinishedAndNeverStartedObjects) {
  // The sanitizers check what matters here: no leaked or doubly closed
  // handle, and no wait that hangs.
  auto* finished = new cOneShot;
  finished->Start();
  EXPECT_TRUE(WaitUntil([&] { return finished->running == 0; }));
  ASSERT_EQ(finished->threads.size(), 1u);
  EXPECT_EQ(finished->joined, 0);
  delete finished;

  auto* neverStarted = new cOneShot;
  EXPECT_TRUE(neverStarted->threads.empty());
  delete neverStarted;
}

// A poller that reports its end outside itself, to be seen after deletion.
class cReportingPoller : public cThread {
 public:
  explicit cReportingPoller(std::atomic<bool>& finished) : cThread("cReportingPoller"), finished_(finished) {}
  ~cReportingPoller() override { Stop(); }  // as every subclass does: stop before its members go
  void OnExecute() override {
    while (running) platform::SleepMs(33);
    finished_ = true;
  }

 private:
  std::atomic<bool>& finished_;
};

TEST(ThreadTest, DestructorStopsAndJoinsARunningBody) {
  std::atomic<bool> finished{false};
  auto* thread = new cReportingPoller(finished);
  thread->Start();
  delete thread;
  EXPECT_TRUE(finished);
}

TEST(ThreadTest, BodyCanRunOnTheCallersThreadWithoutAThread) {
  cOneShot thread;
  thread.running = 1;
  thread.joined = 0;
  thread.OnExecute();
  thread.running = 0;
  EXPECT_EQ(thread.runs, 1);
  EXPECT_EQ(thread.sawRunning, 1);
  EXPECT_TRUE(thread.threads.empty());
  EXPECT_EQ(thread.threadCount, 0);
}

TEST(ThreadTest, ManyThreadsStartAndStopIndependently) {
  constexpr int kCount = 16;
  cPoller threads[kCount];
  for (auto& thread : threads) thread.Start();
  for (int i = 0; i < kCount; i += 2) threads[i].Stop();
  for (int i = 0; i < kCount; i += 2) EXPECT_TRUE(threads[i].finished);
  for (int i = 1; i < kCount; i += 2) EXPECT_EQ(threads[i].running, 1) << "stopped the wrong thread";
  for (int i = 1; i < kCount; i += 2) threads[i].Stop();
  for (auto& thread : threads) EXPECT_TRUE(thread.finished);
}

}  // namespace
