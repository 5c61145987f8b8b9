// Stopping a thread from the user-interface thread while that thread sends
// it a message: the download manager's final refresh can do exactly that.
// With a plain wait the two threads would wait for each other forever.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "download/thread.h"

namespace {

std::atomic<int> timerMessages{0};

LRESULT CALLBACK CountTimers(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == 333) {
    ++timerMessages;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Waits until it is told to stop, then sends the window a timer message.
class cLateSender : public cThread {
 public:
  explicit cLateSender(HWND target) : cThread("cLateSender"), window(target) {}
  void OnExecute() override {
    started = true;
    while (running) Sleep(1);
    SendMessageA(window, WM_TIMER, 333, 0);
    sent = true;
  }
  HWND window;
  std::atomic<bool> started{false};
  std::atomic<bool> sent{false};
};

TEST(StopServingSentMessagesTest, ThreadSendingToTheStoppingThreadFinishes) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountTimers;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "stop-test-window";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "stop-test-window", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  timerMessages = 0;
  cLateSender thread(window);
  thread.Start();
  while (!thread.started) Sleep(1);
  thread.StopServingSentMessages();

  EXPECT_TRUE(thread.sent);
  EXPECT_EQ(timerMessages, 1);
  EXPECT_EQ(thread.joined, 1);
  EXPECT_EQ(thread.running, 0);

  DestroyWindow(window);
  UnregisterClassA("stop-test-window", windowClass.hInstance);
}

}  // namespace
