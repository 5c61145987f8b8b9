#include <atomic>
#include <cstdio>

#include "platform/message_box.h"

namespace platform {
namespace {

std::atomic<MessageBoxHandler> installedHandler{nullptr};

}  // namespace

int ShowMessageBox(void*, const char* text, const char* caption, unsigned flags) {
  if (MessageBoxHandler handler = installedHandler.load()) return handler(text, caption, flags);
  std::fprintf(stderr, "message box [%s] %s\n", caption, text);
  std::fflush(stderr);
  return kIdOk;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) { return installedHandler.exchange(handler); }

}  // namespace platform
