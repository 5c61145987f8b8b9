// Stopping a thread from the user-interface thread while that thread sends
// it a message: the download manager's final refresh can do exactly that.
// With a plain wait the two threads would wait for each other forever.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "download/thread.h"
#include "tests/support/refresh_window.h"
#include "tests/support/wait_until.h"

namespace {

// Waits until it is told to stop (10 s at most), then sends a timer message.
class cLateSender : public cThread {
 public:
  explicit cLateSender(HWND target) : cThread("cLateSender"), window(target) {}
  void OnExecute() override {
    started = true;
    WaitUntil([this] { return running == 0; });
    SendMessageA(window, WM_TIMER, 333, 0);
    sent = true;
  }
  HWND window;
  std::atomic<bool> started{false};
  std::atomic<bool> sent{false};
};

TEST(StopServingSentMessagesTest, ThreadSendingToTheStoppingThreadFinishes) {
  cRefreshWindow window;
  ASSERT_NE(window.Handle(), nullptr);
  cLateSender thread(window.Handle());
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return thread.started.load(); }));
  thread.StopServingSentMessages();

  EXPECT_TRUE(thread.sent);
  EXPECT_EQ(window.Refreshes(), 1);
  EXPECT_EQ(thread.joined, 1);
  EXPECT_EQ(thread.running, 0);
}

}  // namespace
