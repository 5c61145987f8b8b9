#pragma once
// Operating-system threads: started, waited for and closed by their owner.

namespace platform {

// A thread's handle: a Win32 HANDLE on Windows, our own record elsewhere.
using ThreadHandle = void*;

// The C runtime's thread start wants the stdcall convention on 32-bit Windows.
#ifdef _WIN32
#define THREAD_PROCEDURE __stdcall
#else
#define THREAD_PROCEDURE
#endif
using ThreadProcedure = unsigned(THREAD_PROCEDURE*)(void* argument);

// Starts a thread that runs `procedure(argument)` at once, with the default
// stack size. Returns null when the thread could not be created.
ThreadHandle StartThread(ThreadProcedure procedure, void* argument);

// Waits without a time limit until every thread in `threads` has ended.
// Waiting again for an ended thread returns at once; null handles are skipped.
void WaitForThreads(const ThreadHandle* threads, int count);

// Like WaitForThreads, for the user-interface thread: while it waits, messages
// that the awaited threads send to this thread's windows are handled, so a
// thread that is in SendMessage to us can finish instead of waiting for us.
void WaitForThreadsServingSentMessages(const ThreadHandle* threads, int count);

// Releases the handle; the thread must have ended or been waited for.
void CloseThread(ThreadHandle thread);

}  // namespace platform
