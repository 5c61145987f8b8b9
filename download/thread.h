#pragma once
// cThread: one piece of background work on one operating-system thread.
//
// `running` is both the request to keep going (the body polls it and returns
// when it is cleared) and the report that the body is still busy (the thread
// clears it when the body returns). There is no other stop mechanism.

#include <atomic>
#include <vector>

#include "platform/owned_thread.h"
#include "platform/thread.h"

class cThread {
 public:
  explicit cThread(const char* threadName);
  virtual ~cThread();
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // The body; runs once, on the object's own thread after Start(), or on the
  // caller's thread when the caller runs it directly.
  virtual void OnExecute() = 0;

  // Starts the thread. Called at most once per object: objects never restart.
  void Start();

  // Clears `running` and waits, without a time limit, for the thread to end.
  // Only the first call waits. Never call it from the object's own thread.
  void Stop();

  // Stop() for the user-interface thread: while it waits, messages that the
  // thread sends to this thread's windows are handled, so a body that is in
  // SendMessage to us at that moment can finish.
  void StopServingSentMessages();

  char name[128];
  // Written by the owner and by the thread itself, read by both and by the
  // user interface; plain loads and stores are all the protocol needs.
  std::atomic<int> running;
  int joined;
  int threadCount;
  // The thread Start made (one); empty until then.
  std::vector<platform::OwnedThread> threads;

 private:
  using WaitFunction = void (*)(const platform::ThreadHandle*, int);
  static unsigned THREAD_PROCEDURE ThreadProc(void* self);
  void StopWaitingWith(WaitFunction wait);
  // Waits for every thread in `threads`, one after the other.
  void WaitWith(WaitFunction wait);
};
