#include <pthread.h>

#include <atomic>
#include <memory>

#include "platform/thread.h"

namespace platform {
namespace {

struct PosixThread {
  pthread_t thread;
  ThreadProcedure procedure;
  void* argument;
  // Only the owner's thread waits and closes, so a plain flag would do; the
  // atomic keeps that assumption from turning into a double join.
  std::atomic<bool> waitedFor{false};
};

void* RunThread(void* record) {
  auto* self = static_cast<PosixThread*>(record);
  self->procedure(self->argument);
  return nullptr;
}

void Join(PosixThread* thread) {
  if (!thread->waitedFor.exchange(true)) pthread_join(thread->thread, nullptr);
}

}  // namespace

ThreadHandle StartThread(ThreadProcedure procedure, void* argument) {
  std::unique_ptr<PosixThread> thread(new PosixThread);
  thread->procedure = procedure;
  thread->argument = argument;
  if (pthread_create(&thread->thread, nullptr, RunThread, thread.get()) != 0) return nullptr;
  return thread.release();  // the handle's owner (platform/owned_thread.h) hands it to CloseThread
}

void WaitForThreads(const ThreadHandle* threads, int count) {
  for (int i = 0; i < count; ++i) {
    if (threads[i]) Join(static_cast<PosixThread*>(threads[i]));
  }
}

// No window messages here: waiting is all there is to do.
void WaitForThreadsServingSentMessages(const ThreadHandle* threads, int count) { WaitForThreads(threads, count); }

void CloseThread(ThreadHandle thread) {
  const std::unique_ptr<PosixThread> record(static_cast<PosixThread*>(thread));
  if (record) Join(record.get());
}

}  // namespace platform
