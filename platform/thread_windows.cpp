#include <windows.h>
#include <process.h>

#include <vector>

#include "platform/thread.h"

namespace platform {
namespace {

// Drops null handles: WaitForMultipleObjects fails at once on any of them.
std::vector<HANDLE> RealHandles(const ThreadHandle* threads, int count) {
  std::vector<HANDLE> handles;
  for (int i = 0; i < count; ++i) {
    if (threads[i]) handles.push_back(static_cast<HANDLE>(threads[i]));
  }
  return handles;
}

}  // namespace

ThreadHandle StartThread(ThreadProcedure procedure, void* argument) {
  // _beginthreadex, not CreateThread, so the C runtime sets up the thread.
  const uintptr_t thread = _beginthreadex(nullptr, 0, procedure, argument, 0, nullptr);
  return reinterpret_cast<ThreadHandle>(thread);
}

void WaitForThreads(const ThreadHandle* threads, int count) {
  const std::vector<HANDLE> handles = RealHandles(threads, count);
  if (handles.empty()) return;
  WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, INFINITE);
}

void WaitForThreadsServingSentMessages(const ThreadHandle* threads, int count) {
  const std::vector<HANDLE> handles = RealHandles(threads, count);
  for (HANDLE thread : handles) {
    // One thread at a time: MsgWaitForMultipleObjects cannot wait for all
    // handles and a message at once. QS_SENDMESSAGE wakes us for a message
    // another thread sends; PeekMessage then delivers it (MsgWait alone does
    // not, under Wine) without taking posted messages off the queue.
    for (;;) {
      const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
      if (result != WAIT_OBJECT_0 + 1) break;
      MSG message;
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
  }
}

void CloseThread(ThreadHandle thread) {
  if (thread) CloseHandle(static_cast<HANDLE>(thread));
}

}  // namespace platform
