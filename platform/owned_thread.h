#pragma once
// The owner of a started thread's handle: released in one place, its
// destructor, once the thread has ended or been waited for. A null handle (a
// thread that could not be started) is empty.

#include <memory>

#include "platform/thread.h"

namespace platform {

struct ThreadCloser {
  void operator()(ThreadHandle thread) const { CloseThread(thread); }
};
using OwnedThread = std::unique_ptr<void, ThreadCloser>;

}  // namespace platform
