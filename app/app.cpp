#include "app/app.h"

#include <atomic>

#include "download/main_window_link.h"
#include "download/manager.h"
#include "platform/message_box.h"

cApp* theApp = nullptr;

void cApp::ManagerDeleter::operator()(cMgrDownloader* manager) const { delete manager; }

namespace {

// Set on the user-interface thread, read by transfer threads for the owner of
// their message boxes and by the download manager at the end of a run.
std::atomic<cMainWindowLink*> mainWindowLink{nullptr};

std::atomic<bool> endRequested{false};
std::atomic<int> endCode{0};

}  // namespace

void RequestProgramEnd(int exitCode) {
  if (endRequested.exchange(true)) return;
  endCode = exitCode;
  if (cMainWindowLink* window = MainWindowLink()) window->CloseToEnd();
}

bool ProgramEndRequested(int* exitCode) {
  if (!endRequested) return false;
  *exitCode = endCode;
  return true;
}

void SetMainWindowLink(cMainWindowLink* link) { mainWindowLink.store(link); }

cMainWindowLink* MainWindowLink() { return mainWindowLink.load(); }

int NotifyUser(const char* text, unsigned flags) {
  cMainWindowLink* window = MainWindowLink();
  return platform::ShowMessageBox(window ? window->WindowHandle() : nullptr, text, theApp ? theApp->title : "",
                                  flags);
}
