#include "platform/out_of_memory.h"

#include <atomic>
#include <new>

#include "platform/message_box.h"
#include "platform/system.h"

namespace platform {

const char kOutOfMemoryText[] = "operator new :: out of memory (-61)";

namespace {

std::atomic<OutOfMemoryBox> installedBox{nullptr};
std::atomic<bool> telling{false};
thread_local bool tellingHere = false;

void EndOutOfMemory() {
  if (tellingHere) EndProcess(kOutOfMemoryExitCode);
  if (telling.exchange(true)) {
    for (;;) SleepMs(1000);  // the thread that tells ends the process
  }
  tellingHere = true;
  if (OutOfMemoryBox box = installedBox.load()) {
    box(kOutOfMemoryText, kMbIconWarning);
  } else {
    ShowMessageBox(nullptr, kOutOfMemoryText, "", kMbIconWarning);
  }
  EndProcess(kOutOfMemoryExitCode);
}

}  // namespace

void ExitWhenOutOfMemory(OutOfMemoryBox box) {
  installedBox.store(box);
  std::set_new_handler(EndOutOfMemory);
}

}  // namespace platform
