#pragma once
// cApp: the one application object. Created by the process entry, reached by
// the shell and the windows through `theApp`, deleted when the entry returns.
// The download engine reaches it only through the host it is handed
// (AppDownloadHost in app/download_control.h).

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/wide_text.h"

class cWinMain;
class cMgrDownloader;
class cMainWindowLink;
class cJson;

struct cApp {
  char title[128];         // caption of the program's message boxes
  char exitQuestion[128];  // asked before the main window closes
  void* instance;          // the module instance (HINSTANCE)
  cWinMain* mainWindow;    // not owned; set while the main window object exists
  char version[64];        // the UX document's "version"
  char serverBaseUrl[260];                 // content server, ends in '/'
  // The running download, or null; deleted where the manager is known.
  struct ManagerDeleter {
    void operator()(cMgrDownloader* manager) const;
  };
  std::unique_ptr<cMgrDownloader, ManagerDeleter> downloadManager;
  char workFolder[260];                    // temp folder + "QzLauncher_Live\" + "zt_kr\"
  char programFolder[260];                 // the executable's folder, with its '\'
  WideChar downloadFolderWide[260];        // downloadFolder, for drawing
  char downloadFolder[260];                // where the client's files go
  char executableName[260];                // the game's executable, from the manifest
  char executableSha256[65];               // its digest from the manifest; "" when it has none
  const char* resourceFolder;              // workFolder or programFolder
  // The download speed limit in bytes per second, 0 for none: set by the
  // window's menu on the user-interface thread (and kept in settings.txt),
  // read by the engine through its host during a run.
  std::atomic<int64_t> speedLimit{0};

  // The main sequence: returns the process exit code.
  int OnExecute();
  // Reads the UX version and restores the remembered download folder; false,
  // after telling the player, when the UX document has no version: the
  // program then ends with exit code 0.
  bool CheckVersion(cJson& uxDocument);
  // Adopts `path` as the download folder, creates it and shows it.
  void CreateDownloadDirectory(const char* path);
};

extern cApp* theApp;

// A modal box with `text`, captioned with the application's title and owned
// by the main window when there is one. Returns the button pressed. Before
// the application object exists the box has an empty caption.
int NotifyUser(const char* text, unsigned flags);

// The main window registers itself while its system window exists; the
// boxes and the download engine reach it through this link, from any thread.
void SetMainWindowLink(cMainWindowLink* link);
// The main window, or null when it has no system window.
cMainWindowLink* MainWindowLink();

// Stops, joins and deletes the download manager, if there is one.
void StopDownloadManager();

// Asks the program to end with `exitCode`, from any thread: the main window,
// if there is one, stops the download and closes, and the entry returns the
// code. The first request wins.
void RequestProgramEnd(int exitCode);
// Whether an end was asked for, and its code.
bool ProgramEndRequested(int* exitCode);
