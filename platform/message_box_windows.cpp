#include <windows.h>

#include <atomic>

#include "platform/message_box.h"

namespace platform {
namespace {

std::atomic<MessageBoxHandler> installedHandler{nullptr};

}  // namespace

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned flags) {
  if (MessageBoxHandler handler = installedHandler.load()) return handler(text, caption, flags);
  return MessageBoxA(static_cast<HWND>(owner), text, caption, flags);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) { return installedHandler.exchange(handler); }

}  // namespace platform
