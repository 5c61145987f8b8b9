// cApp::CreateDownloadDirectory: the only way the download folder changes.

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/main_window_link.h"
#include "platform/message_box.h"
#include "platform/system.h"

namespace {

// Creates every level of `folder` after its first backslash (never the drive
// before it), one at a time; failures, existing folders included, are
// ignored and the next level is still tried. Only '\' separates levels.
void CreateFolderLevels(const char* folder) {
  char path[260];
  std::snprintf(path, sizeof path, "%s", folder);
  char* firstBackslash = std::strchr(path, '\\');
  for (char* c = std::strchr(firstBackslash + 1, '\\'); c; c = std::strchr(c + 1, '\\')) {
    *c = 0;
    platform::CreateFolder(path);
    *c = '\\';
  }
  if (std::strrchr(path, '\\')[1]) platform::CreateFolder(path);
}

}  // namespace

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
    CreateFolderLevels(downloadFolder);
  }
  if (cMainWindowLink* window = MainWindowLink()) window->RequestRepaint();
}
