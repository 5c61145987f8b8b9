// The commands of the five buttons. They run on the user-interface thread,
// inside the button's mouse handling, and move the command row between its
// situations (see command_row.h).

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/download_control.h"
#include "app/main_window.h"
#include "app/version_stamp.h"
#include "platform/message_box.h"
#include "platform/sha256.h"
#include "platform/system.h"
#include "ui/buttons.h"
#include "ui/figures.h"

namespace {

const char kFolderMarker[] = "_cBtnFolder_";
const char kSpaceCaption[] = "Downloader - TARVIK ...";

// The dialog's text control that showed the marker; one dialog at a time.
HWND statusControl = nullptr;

int64_t RequiredSpace() { return theApp->mainWindow ? theApp->mainWindow->totalSize : 0; }

}  // namespace

void cBtnLaunch::OnCreate() {
  cButton::OnCreate();
  SetState(Disabled);
}

void cBtnPause::OnCreate() {
  cButton::OnCreate();
  SetState(Disabled);
}

void cBtnLaunch::OnExecute() {
  if (!theApp->executableName[0]) {
    NotifyUser("cBtnLaunch::OnExecute :: can't find an executable module.", platform::kMbIconWarning);
    platform::EndProcess(1);
  }
  // The full path in the download folder, and that folder as the working
  // directory: a bare relative name is looked up by the shell in the
  // launcher's own folder first, which could start some other program.
  const char* folder = theApp->downloadFolder;
  const size_t folderLength = std::strlen(folder);
  const bool separated = folderLength > 0 && (folder[folderLength - 1] == '\\' || folder[folderLength - 1] == '/');
  char file[MAX_PATH * 2];
  const int length =
      std::snprintf(file, sizeof file, "%s%s%s", folder, separated ? "" : "\\", theApp->executableName);
  if (length < 0 || static_cast<size_t>(length) >= sizeof file) {
    NotifyUser("cBtnLaunch::OnExecute :: the executable's path is too long.", platform::kMbIconWarning);
    return;
  }
  for (char* c = file; *c; ++c) {
    if (*c == '/') *c = '\\';  // manifest names separate folders with '/'
  }
  // The game runs elevated: only over the bytes the manifest pins, checked
  // once more right now, in case they changed since the download.
  platform::Sha256Text digest;
  if (theApp->executableSha256[0] &&
      !(platform::HashFile(file, -1, digest) && platform::SameSha256(digest, theApp->executableSha256))) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "cBtnLaunch::OnExecute :: %.300s does not match its manifest; the game was not started.\n"
                  "Press Start to repair it.",
                  theApp->executableName);
    NotifyUser(text, platform::kMbIconWarning);
    if (cWinMain* main = theApp->mainWindow) main->ShowRow(NextRow(main->row, RowEvent::kPause));
    return;
  }
  SHELLEXECUTEINFOA launch = {};
  launch.cbSize = sizeof launch;
  launch.lpVerb = "runas";
  launch.lpFile = file;
  launch.lpParameters = "";
  launch.lpDirectory = folder;
  launch.nShow = SW_SHOWNORMAL;
  // Whether the player grants the elevation or not, the downloader's work is
  // done.
  ShellExecuteExA(&launch);
  DestroyWindow(theApp->mainWindow->hwnd);
}

void cBtnStart::OnExecute() {
  cWinMain* main = theApp->mainWindow;
  char text[512];
  if (main && main->totalSizeMissing) {
    // Every folder would pass a check against an unknown size, and the run
    // could not count its progress either.
    NotifyUser("cBtnStart::OnExecute :: the client's size is unknown (file.json has no \"TotalSize\").\n"
               "Please try again later.",
               platform::kMbIconWarning);
    return;
  }
  int64_t freeBytes = 0;
  if (!platform::GetFreeDiskSpace(theApp->downloadFolder, &freeBytes)) {
    std::snprintf(text, sizeof text,
                  "The free space of the download folder cannot be read:\n%.300s\n"
                  "Please change the download folder.",
                  theApp->downloadFolder);
    platform::ShowMessageBox(main ? main->hwnd : nullptr, text, kSpaceCaption, platform::kMbIconInformation);
    return;
  }
  // The whole client must fit, whatever part of it is on disk already.
  if (!EnoughSpace(freeBytes, RequiredSpace())) {
    FormatNoSpaceText(theApp->downloadFolder, text, sizeof text);
    platform::ShowMessageBox(main ? main->hwnd : nullptr, text, kSpaceCaption, platform::kMbIconInformation);
    return;
  }
  if (main) {
    main->ShowRow(NextRow(main->row, RowEvent::kStart));
    main->progressBar.SetRate(0);
    main->infoPanel.StartTicking();
  } else {
    SetState(Disabled);
  }
  StartDownloadManager();
}

void cBtnPause::OnExecute() {
  SetState(Disabled);
  // Blocks until every transfer has ended; the bytes on disk stay for the
  // next Start.
  StopDownloadManager();
  if (cWinMain* main = theApp->mainWindow) main->ShowRow(NextRow(main->row, RowEvent::kPause));
}

void cBtnCancel::OnExecute() {
  if (cWinMain* main = theApp->mainWindow) main->OnClose();
}

void cBtnFolder::OnExecute() {
  BROWSEINFOA browse = {};
  browse.hwndOwner = hwnd;
  browse.lpszTitle = kFolderMarker;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(theApp->downloadFolder);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
  if (!chosen) return;  // cancelled: nothing changes
  char path[MAX_PATH] = "";
  const bool named = SHGetPathFromIDListA(chosen, path);
  CoTaskMemFree(chosen);
  if (!named) return;
  theApp->CreateDownloadDirectory(path);
  WriteVersionFile();
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    // The report's control is found before the preselection, whose
    // selection change arrives at once: the report then replaces the marker
    // for the folder the dialog opens on.
    statusControl = nullptr;
    for (HWND child = FindWindowExA(dialog, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(dialog, child, nullptr, nullptr)) {
      char text[1024] = "";
      GetWindowTextA(child, text, sizeof text);
      if (std::strstr(text, kFolderMarker)) {
        statusControl = child;
        break;
      }
    }
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    SendMessageA(dialog, BFFM_SETEXPANDED, TRUE, data);
  } else if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH] = "";
    SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
    // A drive root (or no file-system path at all) is never a download
    // folder. The callback only ever disables OK; the dialog re-enables it
    // for each new selection.
    if (std::strlen(path) <= 3) SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
    const int64_t required = RequiredSpace();
    int64_t freeBytes = 0;
    const bool known = path[0] && platform::GetFreeDiskSpace(path, &freeBytes);
    if (!known || !EnoughSpace(freeBytes, required)) SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
    char report[256];
    if (known) {
      FormatFreeSpaceText(required, freeBytes, report, sizeof report);
    } else {
      std::snprintf(report, sizeof report, "At least %.3fGB is required.\nYour free space : cannot be read",
                    static_cast<double>(required) / kBytesPerGB);
    }
    if (statusControl) SetWindowTextA(statusControl, report);
  }
  return 0;
}
