#include "app/main_window.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "app/app.h"
#include "app/download_control.h"
#include "app/download_info.h"
#include "app/version_stamp.h"
#include "download/manager.h"
#include "download/work_left.h"
#include "json/json.h"
#include "platform/message_box.h"
#include "platform/system.h"
#include "ui/dpi.h"
#include "ui/figures.h"
#include "ui/skin.h"

namespace {

const char kDefaultFolder[] = "c:\\PLAX\\download\\zt_kr\\";
// The download manager's final refresh arrives as a timer message with this
// identifier: an identifier, not a period, since the main window starts no
// timer (the panel's ticks are 333 ms apart, whence the number).
const UINT_PTR kFinalRefreshTimer = 333;
// Sent by the manager's thread at the end of a complete run, so that the
// buttons, the focus and the flash change on this window's own thread.
const UINT kDownloadFinishedMessage = WM_APP + 1;
// Posted at the end of a run with files missing; lParam owns a copy of the
// first missing file's name (new char[]).
const UINT kDownloadIncompleteMessage = WM_APP + 2;
// Posted when the program is to end (RequestProgramEnd): the window stops the
// download and closes on its own thread.
const UINT kCloseToEndMessage = WM_APP + 3;

}  // namespace

cWinMain::cWinMain(cJson* ux)
    : folderTextRect{},
      totalSize(0),
      uxDocument(ux),
      totalSizeMissing(false),
      row(CommandRow::kReady),
      skinWidth(0),
      skinHeight(0),
      lastRunIncomplete(false),
      folderTextColor(0),
      folderTextAlpha(0),
      rowOrder{&folderButton, &launchButton, &startButton, &pauseButton, &cancelButton},
      focusButton(kStartButton),
      uiState(UISF_HIDEFOCUS | UISF_HIDEACCEL) {
  // Every window of the program reaches the application through this one.
  for (cWindow* window : {static_cast<cWindow*>(this), static_cast<cWindow*>(&launchButton),
                          static_cast<cWindow*>(&startButton), static_cast<cWindow*>(&pauseButton),
                          static_cast<cWindow*>(&cancelButton), static_cast<cWindow*>(&folderButton),
                          static_cast<cWindow*>(&progressBar), static_cast<cWindow*>(&infoPanel)}) {
    window->application = this;
  }
}

// The members' own destructors release the device resources and the text
// format, then the children, then the bases.
cWinMain::~cWinMain() = default;

int cWinMain::NotifyUser(const char* text, unsigned flags) { return ::NotifyUser(text, flags); }

const char* cWinMain::DownloadFolder() { return theApp->downloadFolder; }

const char* cWinMain::ExecutableName() { return theApp->executableName; }

const char* cWinMain::ExecutableSha256() { return theApp->executableSha256; }

int64_t cWinMain::ClientSize() { return totalSize; }

bool cWinMain::ClientSizeMissing() { return totalSizeMissing; }

int64_t cWinMain::BytesStillToCome(const char* folder) { return ::BytesStillToCome(clientFiles, folder); }

void cWinMain::StartDownload(bool verifyEverything) {
  lastRunIncomplete = false;
  ShowRow(NextRow(row, RowEvent::kStart));
  progressBar.SetRate(0);
  infoPanel.StartTicking();
  StartDownloadManager(verifyEverything);
}

void cWinMain::PauseDownload() {
  StopDownloadManager();
  ShowRow(NextRow(row, RowEvent::kPause));
}

void cWinMain::OfferRepair() { ShowRow(NextRow(row, RowEvent::kPause)); }

void cWinMain::AskToClose() { OnClose(); }

void cWinMain::CloseAfterLaunch() { DestroyWindow(hwnd); }

void cWinMain::ChangeDownloadFolder(const char* path) {
  theApp->CreateDownloadDirectory(path);
  WriteVersionFile();
}

bool cWinMain::ReadTransfer(TransferCounters* counters) {
  const cMgrDownloader* manager = theApp->downloadManager.get();
  if (!manager) return false;
  counters->running = manager->running != 0;
  counters->completed = manager->completed != 0;
  counters->totalBytes = manager->totalSize;
  counters->progressBytes = manager->progressSize;
  counters->receivedBytes = manager->receivedSize;
  // Unsigned: a wrapped tick count still gives the right difference.
  counters->elapsedMs = platform::TickCount() - manager->startTick;
  return true;
}

void cWinMain::ShowTaskbarRate(int rate) { taskbarButton.Show(TaskbarProgressOf(row, lastRunIncomplete, rate)); }

void* cWinMain::WindowHandle() { return hwnd; }

void cWinMain::RequestRepaint() { Invalidate(); }

void cWinMain::ShowFinalFigures() {
  if (hwnd) SendMessageA(hwnd, WM_TIMER, kFinalRefreshTimer, 0);
}

void cWinMain::ShowDownloadFinished() {
  if (hwnd) SendMessageA(hwnd, kDownloadFinishedMessage, 0, 0);
}

void cWinMain::ShowDownloadIncomplete(int missingFiles, const char* firstMissing) {
  // Posted, not sent: the handler stops the manager, whose thread is the one
  // calling here.
  const size_t length = std::strlen(firstMissing);
  std::unique_ptr<char[]> name(new char[length + 1]);
  std::memcpy(name.get(), firstMissing, length + 1);
  if (hwnd && PostMessageA(hwnd, kDownloadIncompleteMessage, static_cast<WPARAM>(missingFiles),
                           reinterpret_cast<LPARAM>(name.get()))) {
    name.release();  // the message owns it now: OnDownloadIncomplete takes it back
  }
}

void cWinMain::CloseToEnd() {
  if (hwnd) PostMessageA(hwnd, kCloseToEndMessage, 0, 0);
}

void cWinMain::ShowRow(CommandRow newRow) {
  row = newRow;
  const RowStates states = StatesOf(newRow);
  launchButton.SetState(states.launch);
  startButton.SetState(states.start);
  pauseButton.SetState(states.pause);
  cancelButton.SetState(states.cancel);
  folderButton.SetState(states.folder);
  ShowTaskbarRate(progressBar.rate);
}

void cWinMain::OnCreate() {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  // The DPI of the display the window opens on, for it and its children.
  const int windowDpi = WindowDpi(hwnd);
  for (cWindow* window : {static_cast<cWindow*>(this), static_cast<cWindow*>(&launchButton),
                          static_cast<cWindow*>(&startButton), static_cast<cWindow*>(&pauseButton),
                          static_cast<cWindow*>(&cancelButton), static_cast<cWindow*>(&folderButton),
                          static_cast<cWindow*>(&progressBar), static_cast<cWindow*>(&infoPanel)}) {
    window->SetDpi(windowDpi);
  }
  PrepareDeviceResources();
  if (!device.background) {
    // Without its image the window would have no size: nobody could see or
    // close it. The player is told, as for a skin that cannot be read.
    NotifyUser("cWinMain::OnCreate :: background image error (-23)", platform::kMbIconWarning);
    PostQuitMessage(-1);
    return;
  }
  // The skin's size, in the display's pixels.
  const D2D1_SIZE_F size = device.background->GetSize();
  skinWidth = size.width;
  skinHeight = size.height;
  width = ToPixels(skinWidth);
  height = ToPixels(skinHeight);
  // A tenth of the free height below the centre.
  x = (screenWidth - width) / 2;
  y = (screenHeight - height) / 2 + (screenHeight - height) / 20;

  platform::SetCurrentFolder(theApp->resourceFolder);
  if (!ReadSettings()) {
    NotifyUser("cWinMain::OnCreate :: ux-json error (-21)", platform::kMbIconWarning);
    PostQuitMessage(-1);
    return;
  }

  for (cButton* button : rowOrder) {
    button->parentHwnd = hwnd;
    button->CreateButtonWindow();
  }
  // The row the window opens in (Ready: Launch and Pause disabled), before
  // any button is painted.
  ShowRow(row);
  progressBar.parentHwnd = hwnd;
  progressBar.CreateBarWindow();
  // Without its skin the panel is not made: no figures, and the download
  // information is never loaded. The window carries on without it.
  infoPanel.parentHwnd = hwnd;
  infoPanel.CreatePanel(*uxDocument, &progressBar);
}

bool cWinMain::ReadSettings() {
  cJson& ux = *uxDocument;
  // The folder rule comes before any check that can fail: the default folder
  // exists even when the skin is then refused.
  if (SkinWantsDefaultFolder(ux) && !theApp->downloadFolder[0]) theApp->CreateDownloadDirectory(kDefaultFolder);
  folderTextRect = ReadFolderTextRect(ux);

  FontSkin font;
  if (ReadFolderFont(ux, &font)) {
    folderTextFormat = MakeTextFormat(font.name, font.size);
    folderTextColor = font.color;
    folderTextAlpha = font.alpha;
    device.folderTextBrush = MakeBrush(folderTextColor, folderTextAlpha);
  }

  if (!launchButton.LoadConfig(ux, "launch") || !startButton.LoadConfig(ux, "start") ||
      !pauseButton.LoadConfig(ux, "pause") || !cancelButton.LoadConfig(ux, "cancel") ||
      !folderButton.LoadConfig(ux, "folder") || !progressBar.LoadConfig(ux)) {
    return false;
  }
  progressBar.PlaceTexts();
  // Written only once the whole skin was read.
  WriteVersionFile();
  Invalidate();
  return true;
}

bool cWinMain::MakeDeviceResources() {
  device.background = LoadBackgroundBitmap();
  if (folderTextFormat) device.folderTextBrush = MakeBrush(folderTextColor, folderTextAlpha);
  return device.background != nullptr;
}

void cWinMain::DropDeviceResources() { device = {}; }

void cWinMain::Draw(ID2D1RenderTarget* target, const RectF&) {
  // No clearing: the image covers the whole window.
  const D2D1_RECT_F whole = D2D1::RectF(0, 0, skinWidth, skinHeight);
  if (device.background) {
    DrawImage(target, device.background.Get(), whole, 0.99f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, &whole);
  }
  if (folderTextFormat && device.folderTextBrush) {
    DrawWholeText(target, theApp->downloadFolderWide, folderTextFormat.Get(), folderTextRect,
                  device.folderTextBrush.Get(), D2D1_DRAW_TEXT_OPTIONS_CLIP);
  }
}

void cWinMain::InvalidateChildren() {
  for (cWindow* child : {static_cast<cWindow*>(&cancelButton), static_cast<cWindow*>(&folderButton),
                         static_cast<cWindow*>(&launchButton), static_cast<cWindow*>(&pauseButton),
                         static_cast<cWindow*>(&startButton), static_cast<cWindow*>(&progressBar),
                         static_cast<cWindow*>(&infoPanel)}) {
    child->Invalidate();
  }
}

void cWinMain::OnDpiChanged(int newDpi, const RECT& suggested) {
  for (cWindow* window : {static_cast<cWindow*>(this), static_cast<cWindow*>(&launchButton),
                          static_cast<cWindow*>(&startButton), static_cast<cWindow*>(&pauseButton),
                          static_cast<cWindow*>(&cancelButton), static_cast<cWindow*>(&folderButton),
                          static_cast<cWindow*>(&progressBar), static_cast<cWindow*>(&infoPanel)}) {
    window->SetDpi(newDpi);
  }
  width = ToPixels(skinWidth);
  height = ToPixels(skinHeight);
  x = suggested.left;
  y = suggested.top;
  SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (cButton* button : rowOrder) button->Place();
  progressBar.Place();
  infoPanel.Place();
  Invalidate();  // the children follow the main window's paint
}

void cWinMain::Refresh() {
  TransferCounters counters;
  if (!ReadTransfer(&counters) || !counters.running || counters.completed || counters.totalBytes == 0) return;
  progressBar.ShowFigures(ComputeTransferFigures(counters));
  Invalidate();
}

void cWinMain::OnDownloadFinished() {
  KillTimer(hwnd, kFinalRefreshTimer);
  ShowRow(NextRow(row, RowEvent::kCompleted));
  // The main window hands the focus on to Play.
  focusButton = kLaunchButton;
  SetFocus(hwnd);
  SetActiveWindow(hwnd);
  BringWindowToTop(hwnd);
  SetForegroundWindow(hwnd);
  FLASHWINFO flash = {sizeof flash, hwnd, FLASHW_ALL, 3, 0};
  FlashWindowEx(&flash);
}

void cWinMain::OnDownloadIncomplete(int missingFiles, std::unique_ptr<char[]> firstMissing) {
  // The manager's thread has ended or is about to: it is stopped and deleted
  // here, so the panel's figures stay as they are, as after Pause.
  StopDownloadManager();
  lastRunIncomplete = true;
  ShowRow(NextRow(row, RowEvent::kIncomplete));
  char text[512];
  std::snprintf(text, sizeof text,
                "The download did not complete: %d %s missing, the first being\n%.300s\n\n"
                "Press Start to try again.",
                missingFiles, missingFiles == 1 ? "file is" : "files are", firstMissing.get());
  NotifyUser(text, platform::kMbIconWarning);
}

void cWinMain::LoadDownloadInfo() {
  platform::SetCurrentFolder(theApp->resourceFolder);
  DownloadInfo info;
  const ManifestLoad load = LoadDownloadManifest(theApp->serverBaseUrl, &info);
  int endCode = 0;
  // A fetch that ended the program has told the player why already.
  if (ProgramEndRequested(&endCode)) return;
  if (load == ManifestLoad::kNetworkError) {
    NotifyUser("cWinMain::LoadDownloadInfo :: network error, try again...", platform::kMbIconWarning);
    RequestProgramEnd(0);
    return;
  }
  char text[512];
  if (load == ManifestLoad::kUnverified) {
    // Nothing the server sent can be trusted: the run goes no further.
    std::snprintf(text, sizeof text,
                  "cWinMain::LoadDownloadInfo :: the download information could not be verified: %s", info.refusal);
    NotifyUser(text, platform::kMbIconWarning);
    RequestProgramEnd(0);
    return;
  }
  if (info.refusal[0]) {
    std::snprintf(text, sizeof text,
                  "cWinMain::LoadDownloadInfo :: the download information from the server could not be verified: "
                  "%s\n\nThe copy verified before is used.",
                  info.refusal);
    NotifyUser(text, platform::kMbIconWarning);
  }
  totalSize = info.totalSize;
  totalSizeMissing = !info.sizeKnown;
  clientFiles = std::move(info.files);
  if (info.sizeKnown) {
    FormatSizeText(totalSize, infoPanel.totalText);
  } else {
    SetAsciiText(infoPanel.totalText, "unknown");
  }
  infoPanel.Invalidate();
  infoPanel.ShowReadableText();
}

void cWinMain::OnClose() {
  if (platform::ShowMessageBox(hwnd, theApp->exitQuestion, theApp->title,
                               platform::kMbOkCancel | platform::kMbIconQuestion) != platform::kIdOk) {
    return;
  }
  StopDownloadManager();
  DestroyWindow(hwnd);
}

std::optional<LRESULT> cWinMain::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == cTaskbarButton::CreatedMessage()) {
    // There is a taskbar, and the window's button is on it.
    taskbarButton.OnCreated(hwnd);
    ShowTaskbarRate(progressBar.rate);
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      SetMainWindowLink(this);
      OnCreate();
      return 0;
    case WM_DESTROY: {
      SetMainWindowLink(nullptr);
      int endCode = 1;
      ProgramEndRequested(&endCode);
      PostQuitMessage(endCode);
      return 0;
    }
    case WM_PAINT:
      Paint();
      InvalidateChildren();
      return 0;
    case WM_NCHITTEST:
      return HTCAPTION;  // the whole window drags it
    case WM_TIMER:
      Refresh();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETFOCUS:
      if (rowOrder[focusButton]->hwnd) SetFocus(rowOrder[focusButton]->hwnd);
      return 0;
    case WM_NEXTDLGCTL:
      MoveFocus(wParam != 0);
      return 0;
    case WM_CHANGEUISTATE:
      ChangeUiState(wParam);
      return 0;
    case WM_QUERYUISTATE:
      return uiState;
    case WM_NCRBUTTONDOWN:
      return 0;  // the menu opens at the release
    case WM_NCRBUTTONUP:
    case WM_CONTEXTMENU:
      OnContextMenu(lParam);
      return 0;
    case kDownloadFinishedMessage:
      OnDownloadFinished();
      return 0;
    case kDownloadIncompleteMessage:
      OnDownloadIncomplete(static_cast<int>(wParam), std::unique_ptr<char[]>(reinterpret_cast<char*>(lParam)));
      return 0;
    case kCloseToEndMessage:
      StopDownloadManager();
      DestroyWindow(hwnd);
      return 0;
  }
  return std::nullopt;
}
