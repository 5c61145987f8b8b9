#include <windows.h>

#include "platform/message_box.h"

namespace platform {

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned flags) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, flags);
}

}  // namespace platform
