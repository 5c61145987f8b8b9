#include "download/thread.h"

#include <cstdio>

cThread::cThread(const char* threadName) : running(0), joined(0), threadCount(0), threads(nullptr) {
  std::snprintf(name, sizeof name, "%s", threadName);
}

cThread::~cThread() {
  Stop();
  if (threads) {
    platform::WaitForThreads(threads, threadCount);
    for (int i = 0; i < threadCount; ++i) platform::CloseThread(threads[i]);
    delete[] threads;
    threads = nullptr;
  }
}

void cThread::Start() {
  running = 1;
  joined = 0;
  threadCount = 1;
  threads = new platform::ThreadHandle[1];
  // A thread that cannot be created leaves a null handle: `running` stays 1
  // until Stop(), whose wait then returns at once.
  threads[0] = platform::StartThread(ThreadProc, this);
}

void cThread::Stop() { StopWaitingWith(platform::WaitForThreads); }

void cThread::StopServingSentMessages() { StopWaitingWith(platform::WaitForThreadsServingSentMessages); }

void cThread::StopWaitingWith(void (*wait)(const platform::ThreadHandle*, int)) {
  if (joined) return;
  running = 0;
  if (threads) wait(threads, threadCount);
  joined = 1;
}

unsigned cThread::ThreadProc(void* self) {
  auto* thread = static_cast<cThread*>(self);
  thread->OnExecute();
  thread->running = 0;
  return 1;
}
