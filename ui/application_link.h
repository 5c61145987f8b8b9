#pragma once
// What the windows may ask of the application: the windows' one way up. The
// main window (cWinMain, app/) implements it and hands it to itself and to
// each of its children before any of them has a system window; ui/ includes
// nothing of app/. Everything here is called on the user-interface thread.

#include <cstdint>

#include "ui/figures.h"

class cApplicationLink {
 public:
  // A modal box with `text` and `flags` (platform/message_box.h), captioned
  // with the application's title and owned by the main window. Returns the
  // button pressed.
  virtual int NotifyUser(const char* text, unsigned flags) = 0;

  // The download folder, as the player chose it.
  virtual const char* DownloadFolder() = 0;
  // The game's executable as the manifest names it (relative to the download
  // folder; "" while no run has met it), and its SHA-256 digest ("" when the
  // manifest gives none).
  virtual const char* ExecutableName() = 0;
  virtual const char* ExecutableSha256() = 0;
  // The client's size in bytes, as the loaded manifest's "TotalSize" gives
  // it (0 before the manifest was loaded), and whether that manifest had
  // none: the space a folder needs is then unknown.
  virtual int64_t ClientSize() = 0;
  virtual bool ClientSizeMissing() = 0;
  // The bytes a download into `folder` still has to bring: each file's size
  // less what of it is there already. What a folder needs room for.
  virtual int64_t BytesStillToCome(const char* folder) = 0;

  // Start (and the menu's Verify and repair) with room enough: the row goes
  // to Downloading, the bar to 0 % and the panel ticks again, then a new
  // download manager starts; with `verifyEverything` it reads and checks
  // every file whatever its record of verified files says.
  virtual void StartDownload(bool verifyEverything) = 0;
  // Whether a run is active (the row is Downloading).
  virtual bool DownloadRunning() = 0;
  // The download speed limit in bytes per second, 0 for none. A new one is
  // remembered in settings.txt, and the engine reads it during a run.
  virtual int64_t SpeedLimit() = 0;
  virtual void SetSpeedLimit(int64_t bytesPerSecond) = 0;
  // Pause: stops the download manager, waiting for every transfer to end
  // (the bytes on disk stay for the next Start), then the row goes to Paused.
  virtual void PauseDownload() = 0;
  // Launch found the game changed since the download: the row goes where
  // Pause leaves it, so that Start repairs the game.
  virtual void OfferRepair() = 0;
  // Cancel: asks the player, and on OK stops the download and ends the
  // program.
  virtual void AskToClose() = 0;
  // After Launch: ends the program without asking.
  virtual void CloseAfterLaunch() = 0;
  // Adopts `path` as the download folder (created, shown, and remembered in
  // version.txt).
  virtual void ChangeDownloadFolder(const char* path) = 0;

  // The running download's counters. False when there is no download
  // manager (before the first Start, and while paused).
  virtual bool ReadTransfer(TransferCounters* counters) = 0;
  // Brings the manifest and shows the client's size (the panel's first tick).
  virtual void LoadDownloadInfo() = 0;
  // The progress bar shows `rate` (hundredths of a percent): the taskbar
  // button's progress follows it.
  virtual void ShowTaskbarRate(int rate) = 0;

 protected:
  ~cApplicationLink() = default;
};
