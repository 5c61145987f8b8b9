#include "download/thread.h"

#include <cstdio>

cThread::cThread(const char* threadName) : running(0), joined(0), threadCount(0) {
  std::snprintf(name, sizeof name, "%s", threadName);
}

cThread::~cThread() {
  Stop();
  // Waited for again, then closed by their owners.
  WaitWith(platform::WaitForThreads);
  threads.clear();
}

void cThread::Start() {
  running = 1;
  joined = 0;
  threadCount = 1;
  // A thread that cannot be created leaves a null handle: `running` stays 1
  // until Stop(), whose wait then returns at once.
  threads.emplace_back(platform::StartThread(ThreadProc, this));
}

void cThread::Stop() { StopWaitingWith(platform::WaitForThreads); }

void cThread::StopServingSentMessages() { StopWaitingWith(platform::WaitForThreadsServingSentMessages); }

void cThread::StopWaitingWith(WaitFunction wait) {
  if (joined) return;
  running = 0;
  WaitWith(wait);
  joined = 1;
}

void cThread::WaitWith(WaitFunction wait) {
  for (const platform::OwnedThread& thread : threads) {
    const platform::ThreadHandle handle = thread.get();
    wait(&handle, 1);
  }
}

unsigned cThread::ThreadProc(void* self) {
  auto* thread = static_cast<cThread*>(self);
  thread->OnExecute();
  thread->running = 0;
  return 1;
}
