#pragma once
// cWinMain: the program's only top-level window, a borderless popup the size
// of its background image, placed a little below the centre of the screen
// and dragged by any point of its background. It owns the five buttons, the
// progress bar and the information panel, reads the skin for itself and for
// them, paints the background and the download folder's path, asks before
// closing, and shows how a download ended. It is the windows' link to the
// application (ui/application_link.h) and the engine's link to the window
// (cMainWindowLink).
//
// The keyboard: the focus is always on one of the five buttons, Start when
// the window opens and Play when a run finishes; Tab and Shift+Tab move it
// over the enabled ones in row order (WM_NEXTDLGCTL from the focused button).
// It keeps the window's keyboard cues (WM_CHANGEUISTATE, WM_QUERYUISTATE)
// itself: focus marks hidden until the player uses the keyboard. Wine's
// system keeps none while its "keyboard cues" setting is on, as it is by
// default. The context menu (ui/context_menu.h) opens at a right click on
// the background (a caption, so the release is caught: the system shows
// nothing of its own), at a child's WM_CONTEXTMENU (a right click on the
// panel or the bar, Shift+F10, the menu key), under the focused button for
// the keys.

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

  std::optional<LRESULT> OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
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
  void StartDownload(bool verifyEverything) override;
  bool DownloadRunning() override;
  int64_t SpeedLimit() override;
  void SetSpeedLimit(int64_t bytesPerSecond) override;
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
  // Tab (Shift+Tab: `backward`) on the focused button.
  void MoveFocus(bool backward);
  // WM_CHANGEUISTATE: the buttons are told of a change of the cues.
  void ChangeUiState(WPARAM change);
  // WM_CONTEXTMENU at `screenPoint`, -1 from the keyboard.
  void OnContextMenu(LPARAM screenPoint);
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
  // The buttons in row order, the keyboard's, and the one with the focus.
  cButton* const rowOrder[kRowButtonCount];
  RowButton focusButton;
  // UISF_HIDEFOCUS and UISF_HIDEACCEL while the keyboard is not in use.
  unsigned uiState;
};
