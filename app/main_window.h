#pragma once
// cWinMain: the program's only top-level window, a borderless popup the size
// of its background image, placed a little below the centre of the screen
// and dragged by any point of its background. It owns the five buttons, the
// progress bar and the information panel, reads the skin for itself and for
// them, paints the background and the download folder's path, asks before
// closing, and shows how a download ended.

#include <cstdint>

#include "download/main_window_link.h"
#include "ui/buttons.h"
#include "ui/command_row.h"
#include "ui/panel.h"
#include "ui/progress_bar.h"
#include "ui/window.h"

class cJson;

class cWinMain final : public cWindow, public cMainWindowLink {
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
  void OnPaint();
  // Brings the manifest and shows the client's size (first panel tick).
  void LoadDownloadInfo();

  // Sets the five buttons to the row's states.
  void ShowRow(CommandRow newRow);

  // The link, from any thread.
  void* WindowHandle() override;
  void RequestRepaint() override;
  void ShowFinalFigures() override;
  void ShowDownloadFinished() override;
  void ShowDownloadIncomplete(int missingFiles, const char* firstMissing) override;

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
  ComPtr<ID2D1Bitmap> backgroundBitmap;
  ComPtr<IDWriteTextFormat> folderTextFormat;
  ComPtr<ID2D1SolidColorBrush> folderTextBrush;

  // The loaded manifest had no "TotalSize": Start cannot judge the space.
  bool totalSizeMissing;
  CommandRow row;

 protected:
  void DiscardDeviceResources() override;

 private:
  void Refresh();
  void OnDownloadFinished();
  void OnDownloadIncomplete(int missingFiles, char* firstMissing);
  bool MakeDeviceResources();

  int32_t folderTextColor;
  float folderTextAlpha;
};
