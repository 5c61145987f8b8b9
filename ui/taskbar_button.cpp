#include "ui/taskbar_button.h"

namespace {

TBPFLAG FlagOf(TaskbarState state) {
  switch (state) {
    case TaskbarState::kNormal: return TBPF_NORMAL;
    case TaskbarState::kPaused: return TBPF_PAUSED;
    case TaskbarState::kError: return TBPF_ERROR;
    case TaskbarState::kNoProgress: break;
  }
  return TBPF_NOPROGRESS;
}

}  // namespace

cTaskbarButton::cTaskbarButton()
    : window(nullptr), wanted{TaskbarState::kNoProgress, 0}, shown{TaskbarState::kNoProgress, 0}, shownValid(false) {}

UINT cTaskbarButton::CreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarButtonCreated");
  return message;
}

void cTaskbarButton::OnCreated(HWND buttonWindow) {
  window = buttonWindow;
  list.Reset();
  shownValid = false;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(list.GetAddressOf()))) ||
      FAILED(list->HrInit())) {
    list.Reset();
    return;
  }
  Send();
}

void cTaskbarButton::Show(const TaskbarProgress& progress) {
  wanted = progress;
  Send();
}

void cTaskbarButton::Send() {
  if (!list) return;
  if (!shownValid || wanted.state != shown.state) list->SetProgressState(window, FlagOf(wanted.state));
  if (wanted.state != TaskbarState::kNoProgress && (!shownValid || wanted.rate != shown.rate || wanted.state != shown.state)) {
    list->SetProgressValue(window, static_cast<ULONGLONG>(wanted.rate), 10000);
  }
  shown = wanted;
  shownValid = true;
}
