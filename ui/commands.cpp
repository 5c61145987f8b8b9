// The commands of the five buttons. They run on the user-interface thread,
// inside the button's mouse handling, and move the command row between its
// situations (see command_row.h).

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "platform/message_box.h"
#include "platform/owned_task_memory.h"
#include "platform/sha256.h"
#include "platform/system.h"
#include "ui/application_link.h"
#include "ui/buttons.h"
#include "ui/figures.h"

namespace {

const char kFolderMarker[] = "_cBtnFolder_";
const char kSpaceCaption[] = "Downloader - TARVIK ...";

// The dialog's text control that showed the marker; one dialog at a time.
HWND statusControl = nullptr;

// Set once the dialog has been told the download folder, until the first
// selection change after that: Wine's dialog then moves the selection to the
// Desktop of its own accord, which is taken back once.
bool preselected = false;

// Selects the download folder and brings it into view; its selection change
// arrives at once and reports its free space.
void SelectDownloadFolder(HWND dialog, cApplicationLink* application) {
  const LPARAM folder = reinterpret_cast<LPARAM>(application->DownloadFolder());
  SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, folder);
  SendMessageA(dialog, BFFM_SETEXPANDED, TRUE, folder);
}

}  // namespace

void cBtnLaunch::OnExecute() {
  const char* executableName = application->ExecutableName();
  if (!executableName[0]) {
    application->NotifyUser("cBtnLaunch::OnExecute :: can't find an executable module.", platform::kMbIconWarning);
    // Nothing to launch, and the player asked to be done: the program ends
    // as after a launch, with exit code 1.
    application->CloseAfterLaunch();
    return;
  }
  // The full path in the download folder, and that folder as the working
  // directory: a bare relative name is looked up by the shell in the
  // launcher's own folder first, which could start some other program.
  const char* folder = application->DownloadFolder();
  const size_t folderLength = std::strlen(folder);
  const bool separated = folderLength > 0 && (folder[folderLength - 1] == '\\' || folder[folderLength - 1] == '/');
  char file[MAX_PATH * 2];
  const int length =
      std::snprintf(file, sizeof file, "%s%s%s", folder, separated ? "" : "\\", executableName);
  if (length < 0 || static_cast<size_t>(length) >= sizeof file) {
    application->NotifyUser("cBtnLaunch::OnExecute :: the executable's path is too long.", platform::kMbIconWarning);
    return;
  }
  for (char* c = file; *c; ++c) {
    if (*c == '/') *c = '\\';  // manifest names separate folders with '/'
  }
  // The game runs elevated: only over the bytes the manifest pins, checked
  // once more right now, in case they changed since the download.
  const char* executableSha256 = application->ExecutableSha256();
  platform::Sha256Text digest;
  if (executableSha256[0] &&
      !(platform::HashFile(file, -1, digest) && platform::SameSha256(digest, executableSha256))) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "cBtnLaunch::OnExecute :: %.300s does not match its manifest; the game was not started.\n"
                  "Press Start to repair it.",
                  executableName);
    application->NotifyUser(text, platform::kMbIconWarning);
    application->OfferRepair();
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
  application->CloseAfterLaunch();
}

void StartIfThereIsRoom(cApplicationLink& application, HWND owner, bool verifyEverything) {
  char text[512];
  if (application.ClientSizeMissing()) {
    // Every folder would pass a check against an unknown size, and the run
    // could not count its progress either.
    application.NotifyUser(
        "cBtnStart::OnExecute :: the client's size is unknown (file.json has no \"TotalSize\").\n"
        "Please try again later.",
        platform::kMbIconWarning);
    return;
  }
  const char* folder = application.DownloadFolder();
  int64_t freeBytes = 0;
  // The space boxes have their own caption; the main window owns them.
  if (!platform::GetFreeDiskSpace(folder, &freeBytes)) {
    std::snprintf(text, sizeof text,
                  "The free space of the download folder cannot be read:\n%.300s\n"
                  "Please change the download folder.",
                  folder);
    platform::ShowMessageBox(owner, text, kSpaceCaption, platform::kMbIconInformation);
    return;
  }
  // What is still to come must fit: the part of the client on disk already
  // needs no more room.
  if (!EnoughSpace(freeBytes, application.BytesStillToCome(folder))) {
    FormatNoSpaceText(folder, text, sizeof text);
    platform::ShowMessageBox(owner, text, kSpaceCaption, platform::kMbIconInformation);
    return;
  }
  application.StartDownload(verifyEverything);
}

void cBtnStart::OnExecute() { StartIfThereIsRoom(*application, parentHwnd, false); }

void cBtnPause::OnExecute() {
  SetState(Disabled);
  // Blocks until every transfer has ended; the bytes on disk stay for the
  // next Start.
  application->PauseDownload();
}

void cBtnCancel::OnExecute() { application->AskToClose(); }

void cBtnFolder::OnExecute() {
  BROWSEINFOA browse = {};
  browse.hwndOwner = hwnd;
  browse.lpszTitle = kFolderMarker;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(application);
  const platform::OwnedTaskMemory<PIDLIST_ABSOLUTE> chosen(SHBrowseForFolderA(&browse));
  if (!chosen) return;  // cancelled: nothing changes
  char path[MAX_PATH] = "";
  if (!SHGetPathFromIDListA(chosen.get(), path)) return;
  application->ChangeDownloadFolder(path);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
  cApplicationLink* application = reinterpret_cast<cApplicationLink*>(data);
  if (!application) return 0;
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
    preselected = false;
    SelectDownloadFolder(dialog, application);
    preselected = application->DownloadFolder()[0] != 0;
  } else if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH] = "";
    SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
    // The first change after the preselection to the namespace's root (the
    // Desktop, an empty item list) is not the player's.
    const PCIDLIST_ABSOLUTE selection = reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam);
    if (preselected && (!selection || selection->mkid.cb == 0)) {
      preselected = false;
      SelectDownloadFolder(dialog, application);
      return 0;
    }
    preselected = false;
    // A drive root (or no file-system path at all) is never a download
    // folder. The callback only ever disables OK; the dialog re-enables it
    // for each new selection.
    if (std::strlen(path) <= 3) SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
    int64_t freeBytes = 0;
    const bool known = path[0] && platform::GetFreeDiskSpace(path, &freeBytes);
    const int64_t required = path[0] ? application->BytesStillToCome(path) : application->ClientSize();
    if (!known || !EnoughSpace(freeBytes, required)) SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
    char report[256];
    FormatFreeSpaceText(required, known, freeBytes, report, sizeof report);
    if (statusControl) SetWindowTextA(statusControl, report);
  }
  return 0;
}
