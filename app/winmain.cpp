// Process entry of the Windows program.

#include <ole2.h>
#include <windows.h>

#include "app/app.h"
#include "app/folders.h"
#include "platform/out_of_memory.h"
#include "platform/owned_handle.h"

namespace {

const char kInstanceName[] = "tarvik-downloader...";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  platform::ExitWhenOutOfMemory(NotifyUser);
  // One downloader at a time: two would write the same client files.
  platform::OwnedHandle guard(CreateMutexA(nullptr, TRUE, kInstanceName));
  if (guard && GetLastError() == ERROR_ALREADY_EXISTS) {
    guard.Reset();
    MessageBoxA(nullptr, "The downloader is already running.", kInstanceName, MB_ICONWARNING);
    return 0;
  }
  // Without a mutex at all the program runs on unguarded.

  OleInitialize(nullptr);

  theApp = new cApp{};
  theApp->instance = instance;
  PrepareFolders(*theApp);

  const int result = theApp->OnExecute();

  StopDownloadManager();
  delete theApp;
  theApp = nullptr;
  OleUninitialize();
  // Ownership ends here; the handle closes with its owner.
  if (guard) ReleaseMutex(guard.Get());
  return result;
}
