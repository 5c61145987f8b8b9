#pragma once
// cWinMain: the program's only top-level window, a borderless popup the size
// of its background image, placed a little below the centre of the screen
// and dragged by any point of its background. It owns the five buttons, the
// progress bar and the information panel, reads the skin for itself and for
// them, paints the background and the download folder's path, asks before
// closing, and shows how a download ended. It is the windows' link to the
// application (ui/application_link.h) and the engine's link to the window
// (cMainWindowLink).

#include <cstdint>
#include <memory>

#include "download/file_list.h"
#include "download/main_window_link.h"
#include "ui/application_link.h"
#include "ui/buttons.h"
#include "ui/command_row.h"
#include "ui/panel.h"
#include "ui/progress_bar.h"
#include "ui/taskbar_button.h"
#include "ui/window.h"

class cJson;

class cWinMain final : public cWindow, public cMainWindowLink, public cApplicationLink {
 public:
  explicit cWinMain(cJson* ux);
  ~cWinMain();

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // Asks `exitQuestion`; OK stops the download manager and destroys the
  // window, which ends the program with exit code 1.
  void OnClose() override;

  // The creation handler: size and place, read the skin, make the children.
  void OnCreate();
  // Reads the skin of the window and its children; false when incomplete.
  bool ReadSettings();
  // Brings the manifest and shows the client's size (first panel tick).
  void LoadDownloadInfo() override;

  // Sets the five buttons to the row's states.
  void ShowRow(CommandRow newRow);

  // The windows' link to the application, on the user-interface thread.
  int NotifyUser(const char* text, unsigned flags) override;
  const char* DownloadFolder() override;
  const char* ExecutableName() override;
  const char* ExecutableSha256() override;
  int64_t ClientSize() override;
  bool ClientSizeMissing() override;
  int64_t BytesStillToCome(const char* folder) override;
  void StartDownload() override;
  void PauseDownload() override;
  void OfferRepair() override;
  void AskToClose() override;
  void CloseAfterLaunch() override;
  void ChangeDownloadFolder(const char* path) override;
  bool ReadTransfer(TransferCounters* counters) override;
  void ShowTaskbarRate(int rate) override;

  // The engine's link to the window, from any thread.
  void* WindowHandle() override;
  void RequestRepaint() override;
  void ShowFinalFigures() override;
  void ShowDownloadFinished() override;
  void ShowDownloadIncomplete(int missingFiles, const char* firstMissing) override;
  void CloseToEnd() override;

  cBtnLaunch launchButton;
  cBtnStart startButton;
  cBtnPause pauseButton;
  cBtnCancel cancelButton;
  cBtnFolder folderButton;
  RectF folderTextRect;
  int64_t totalSize;
  cProgressBar progressBar;
  cWinDownloadInfo infoPanel;
  cJson* uxDocument;
  ComPtr<IDWriteTextFormat> folderTextFormat;

  // The loaded manifest had no "TotalSize": Start cannot judge the space.
  bool totalSizeMissing;
  // The loaded manifest's files, to weigh a folder's free space.
  cFileList clientFiles;
  CommandRow row;

 protected:
  // The background and the folder text's brush.
  bool MakeDeviceResources() override;
  void DropDeviceResources() override;
  // The background and the download folder's path.
  void Draw(ID2D1RenderTarget* target, const RectF& part) override;

 private:
  // Made on the main window's render target.
  struct DeviceResources {
    ComPtr<ID2D1Bitmap> background;
    ComPtr<ID2D1SolidColorBrush> folderTextBrush;
  };

  // The children are painted over the parent's drawing after each paint.
  void InvalidateChildren();
  // The window moved to a display of `newDpi`: everything takes the new
  // scale, and the window the system's `suggested` place and size.
  void OnDpiChanged(int newDpi, const RECT& suggested);
  void Refresh();
  void OnDownloadFinished();
  void OnDownloadIncomplete(int missingFiles, std::unique_ptr<char[]> firstMissing);

  DeviceResources device;
  // The background's size in device-independent pixels: the skin's layout,
  // which `width` and `height` are at the window's DPI.
  float skinWidth, skinHeight;
  cTaskbarButton taskbarButton;
  // The last run ended with files missing (the taskbar shows the error).
  bool lastRunIncomplete;
  int32_t folderTextColor;
  float folderTextAlpha;
};
