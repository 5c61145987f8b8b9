// Process entry of the Windows program.

#include <windows.h>

#include <memory>

#include "app/app.h"
#include "app/folders.h"
#include "platform/out_of_memory.h"
#include "platform/owned_handle.h"
#include "ui/ole_session.h"

namespace {

const char kInstanceName[] = "tarvik-downloader...";

// The single-instance mutex, created initially owned: held until the entry
// ends, then released and closed, in that order, by its destructor.
class cInstanceMutex {
 public:
  cInstanceMutex() : handle_(CreateMutexA(nullptr, TRUE, kInstanceName)) {
    // The name existed: another instance holds it, and this handle, which
    // owns nothing, closes at once.
    anotherInstance_ = handle_ && GetLastError() == ERROR_ALREADY_EXISTS;
    if (anotherInstance_) handle_.Reset();
  }
  ~cInstanceMutex() {
    if (handle_) ReleaseMutex(handle_.Get());
  }
  cInstanceMutex(const cInstanceMutex&) = delete;
  cInstanceMutex& operator=(const cInstanceMutex&) = delete;

  bool AnotherInstanceRuns() const { return anotherInstance_; }

 private:
  platform::OwnedHandle handle_;
  bool anotherInstance_;
};

// The application's life inside COM and OLE: its object, its folders and the
// main sequence; returns the sequence's exit code.
int RunApplication(HINSTANCE instance) {
  const cOleSession ole;

  std::unique_ptr<cApp> app(new cApp{});
  theApp = app.get();
  theApp->instance = instance;
  PrepareFolders(*theApp);

  const int result = theApp->OnExecute();

  StopDownloadManager();
  app.reset();
  theApp = nullptr;
  return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  platform::ExitWhenOutOfMemory(NotifyUser);
  // One downloader at a time: two would write the same client files.
  const cInstanceMutex guard;
  if (guard.AnotherInstanceRuns()) {
    MessageBoxA(nullptr, "The downloader is already running.", kInstanceName, MB_ICONWARNING);
    return 0;
  }
  // Without a mutex at all the program runs on unguarded.
  return RunApplication(instance);
}
