// cApp::CreateDownloadDirectory: the only way the download folder changes.

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "download/main_window_link.h"
#include "platform/files.h"
#include "platform/message_box.h"

void cApp::CreateDownloadDirectory(const char* path) {
  // A longer path would have to be cut, and a cut path is another folder: the
  // current one stays. Only a damaged version.txt can give one.
  if (std::strlen(path) >= sizeof downloadFolder) {
    NotifyUser("cApp::CreateDownloadDirectory :: path too long (-33)", platform::kMbIconWarning);
    return;
  }
  AnsiToWide(path, downloadFolderWide, static_cast<int>(sizeof downloadFolderWide / sizeof downloadFolderWide[0]));
  std::snprintf(downloadFolder, sizeof downloadFolder, "%s", path);

  if (!std::strchr(downloadFolder, '\\')) {
    NotifyUser("cApp::CreateDownloadDirectory :: error (-32)", platform::kMbIconWarning);
  } else {
    // Every level after the first backslash, never the drive before it;
    // only '\' separates levels.
    const size_t afterDrive = static_cast<size_t>(std::strchr(downloadFolder, '\\') - downloadFolder) + 1;
    platform::CreateFolderLevels(downloadFolder, afterDrive, '\\');
  }
  if (cMainWindowLink* window = MainWindowLink()) window->RequestRepaint();
}
