// Windows only, under Wine: the window base's handling of a failed paint;
// the panel's and the bar's repaints of only what changed, which must leave
// the pixels a whole repaint gives, and the texts a screen reader reads; and
// what the folder dialog's callback sends for each kind of selection, seen
// through a window of the test's own that records the dialog messages.

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "json/json.h"
#include "platform/owned_task_memory.h"
#include "resources/resource_ids.h"
#include "tests/app/app_fixture.h"
#include "ui/buttons.h"
#include "ui/command_row.h"
#include "ui/dpi.h"
#include "ui/ole_session.h"
#include "ui/window.h"
#include "ui/window_session.h"

namespace {

// The application object (AppTest) with its main window object, which is
// every window's link to the application, inside COM and OLE and a window
// session, as the program runs them; a system window only where a test
// creates one.
class MainWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    session = std::make_unique<cWindowSession>(GetModuleHandleA(nullptr));
    ASSERT_TRUE(ux.LoadEmbedded(RESOURCE_UX_DOCUMENT));
    main = std::make_unique<cWinMain>(&ux);
    theApp->mainWindow = main.get();
  }
  void TearDown() override {
    if (main && main->hwnd) DestroyWindow(main->hwnd);
    theApp->mainWindow = nullptr;
    main.reset();
    session.reset();
    AppTest::TearDown();
  }

  cOleSession ole;
  std::unique_ptr<cWindowSession> session;
  cJson ux;
  std::unique_ptr<cWinMain> main;
};

class cBareWindow : public cWindow {
 public:
  std::optional<LRESULT> OnMessage(HWND, UINT, WPARAM, LPARAM) override { return std::nullopt; }
  int dropped = 0;

 protected:
  bool MakeDeviceResources() override { return true; }
  void DropDeviceResources() override { ++dropped; }
  void Draw(ID2D1RenderTarget*, const RectF&) override {}
};

using WindowBaseTest = MainWindowTest;

TEST_F(WindowBaseTest, ALostDeviceIsRebuiltWithoutABoxOtherFailuresAreReported) {
  cBareWindow window;
  window.application = main.get();
  ComPtr<ID2D1DCRenderTarget> first = window.GetRenderTarget();
  ASSERT_NE(first, nullptr);

  window.FinishDraw(D2DERR_RECREATE_TARGET);
  EXPECT_EQ(window.dropped, 1);
  EXPECT_TRUE(Boxes().empty());
  ComPtr<ID2D1DCRenderTarget> second = window.GetRenderTarget();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second.Get(), first.Get());  // a new target; the old one is still held here

  window.FinishDraw(E_FAIL);
  EXPECT_EQ(window.dropped, 1);
  EXPECT_EQ(window.GetRenderTarget(), second.Get());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "error");
  EXPECT_EQ(Boxes()[0].flags, static_cast<unsigned>(MB_ICONWARNING));
}

// The client pixels of `window` as the screen shows them, 0xRRGGBB each.
std::vector<uint32_t> Pixels(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC source = GetDC(window);
  HDC copy = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> pixels;
  if (bitmap) {
    HGDIOBJ before = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* first = static_cast<const uint32_t*>(bits);
    for (LONG i = 0; i < client.right * client.bottom; ++i) pixels.push_back(first[i] & 0xFFFFFF);
    SelectObject(copy, before);
    DeleteObject(bitmap);
  }
  DeleteDC(copy);
  ReleaseDC(window, source);
  return pixels;
}

// Where two pictures differ, for the failure message.
std::string Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width) {
  if (a.size() != b.size()) return "sizes differ";
  int count = 0;
  std::string first;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    if (count++ == 0) first = " first at (" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
  }
  return std::to_string(count) + " pixels differ" + first;
}

class RepaintTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (HasFatalFailure()) return;
    // The panel's timer is never dispatched: paints are sent, not pumped.
    ASSERT_NE(main->CreateSystemWindow(WS_POPUP | WS_CLIPCHILDREN, 10, 10, 100, 100), nullptr);
    ShowWindow(main->hwnd, SW_SHOWNORMAL);
    MoveWindow(main->hwnd, main->x, main->y, main->width, main->height, TRUE);
    PaintPending();
  }
  void PaintPending() { RedrawWindow(main->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }
  void RepaintWholly() {
    main->infoPanel.Invalidate();
    main->progressBar.Invalidate();
    PaintPending();
  }
};

TEST_F(RepaintTest, PartialRepaintsLeaveThePixelsOfAWholeRepaint) {
  struct Figures {
    const wchar_t* values[kPanelItemCount];  // remaining, elapsed, received, total
    int rate;
    float speed;
  } steps[] = {
      {{L"00:00:00", L"00:00:01", L"0.0 MBytes", L"50.3 MBytes"}, 0, 0.0f},
      {{L"00:10:05", L"00:00:02", L"1.5 MBytes", L"50.3 MBytes"}, 123, 0.75f},
      {{L"00:10:05", L"00:00:03", L"1.5 MBytes", L"50.3 MBytes"}, 123, 0.75f},  // only the elapsed time
      {{L"100:00:00", L"00:00:03", L"25.2 MBytes", L"50.3 MBytes"}, 5000, 12.5f},
      {{L"1:02:03", L"00:01:00", L"1000000 MBytes", L"1000.0 GBytes"}, 10000, 1000.0f},  // the widest texts
      {{L"00:00:00", L"100:00:00", L"977.0 GBytes", L"unknown"}, 12000, 999.999f},       // past the bar's end
      {{L"00:00:09", L"100:00:01", L"3.0 MBytes", L"50.3 MBytes"}, 2500, 0.5f},          // the fill shrinks
  };
  cWinDownloadInfo& panel = main->infoPanel;
  cProgressBar& bar = main->progressBar;
  auto show = [&](const Figures& figures) {
    for (int item = 0; item < kPanelItemCount; ++item) panel.ShowValue(item, figures.values[item]);
    bar.SetSpeed(figures.speed);
    bar.SetRate(figures.rate);
  };

  std::vector<std::vector<uint32_t>> partial[2];
  for (const Figures& figures : steps) {
    show(figures);
    PaintPending();
    partial[0].push_back(Pixels(panel.hwnd));
    partial[1].push_back(Pixels(bar.hwnd));
  }
  // Steps 1 and 2 differ only in the elapsed time: that value alone is
  // repainted, and showing the same figures again repaints nothing.
  show(steps[1]);
  PaintPending();
  show(steps[2]);
  RECT part;
  ASSERT_TRUE(GetUpdateRect(panel.hwnd, &part, FALSE));
  EXPECT_LT(part.right - part.left, panel.width / 4);
  EXPECT_FALSE(GetUpdateRect(bar.hwnd, nullptr, FALSE));
  PaintPending();
  show(steps[2]);
  EXPECT_FALSE(GetUpdateRect(panel.hwnd, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(bar.hwnd, nullptr, FALSE));

  for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    show(steps[i]);
    RepaintWholly();
    const std::vector<uint32_t> wholePanel = Pixels(panel.hwnd), wholeBar = Pixels(bar.hwnd);
    ASSERT_EQ(wholePanel.size(), static_cast<size_t>(panel.width * panel.height));
    EXPECT_TRUE(partial[0][i] == wholePanel) << Differences(partial[0][i], wholePanel, panel.width);
    EXPECT_TRUE(partial[1][i] == wholeBar) << Differences(partial[1][i], wholeBar, bar.barWidth);
    if (i > 0) {
      EXPECT_FALSE(partial[0][i] == partial[0][i - 1]);  // the pictures are read, not blank
    }
  }
  EXPECT_TRUE(Boxes().empty());
}

// What a screen reader reads of the panel and the bar (window_test asks for
// the first figures): their figures as they show them, changed with them.
TEST_F(RepaintTest, TheWindowTextsFollowTheFigures) {
  auto text = [](const cWindow& window) {
    wchar_t buffer[256] = L"";
    GetWindowTextW(window.hwnd, buffer, 256);
    return std::wstring(buffer);
  };
  main->infoPanel.ShowValue(kElapsedItem, L"00:01:02");
  main->infoPanel.ShowValue(kReceivedItem, L"1.5 MBytes");
  main->progressBar.SetRate(1234);
  main->progressBar.SetSpeed(0.75f);
  EXPECT_EQ(text(main->infoPanel),
            L"Remained : 00:00:00, Elapsed : 00:01:02, Transfered : 1.5 MBytes, Total Size : 000.0 MBytes");
  EXPECT_EQ(text(main->progressBar), L"12.34%, 0.750 MiB/Sec");
}

// The window opens on the command row's first row, and a lost device costs
// nothing but its repaint: every window makes its device resources again and
// shows the same pixels.
TEST_F(RepaintTest, OpensOnTheReadyRowAndRepaintsALostDeviceAsBefore) {
  const RowStates ready = StatesOf(CommandRow::kReady);
  EXPECT_EQ(main->launchButton.state, ready.launch);
  EXPECT_EQ(main->startButton.state, ready.start);
  EXPECT_EQ(main->pauseButton.state, ready.pause);
  EXPECT_EQ(main->cancelButton.state, ready.cancel);
  EXPECT_EQ(main->folderButton.state, ready.folder);

  cWindow* windows[] = {main.get(), &main->launchButton, &main->startButton, &main->progressBar, &main->infoPanel};
  std::vector<std::vector<uint32_t>> before;
  for (cWindow* window : windows) before.push_back(Pixels(window->hwnd));
  for (cWindow* window : windows) window->FinishDraw(D2DERR_RECREATE_TARGET);
  PaintPending();
  for (size_t i = 0; i < sizeof windows / sizeof windows[0]; ++i) {
    SCOPED_TRACE("window " + std::to_string(i));
    const std::vector<uint32_t> after = Pixels(windows[i]->hwnd);
    ASSERT_FALSE(after.empty());
    EXPECT_TRUE(after == before[i]) << Differences(after, before[i], windows[i]->width);
  }
  EXPECT_TRUE(Boxes().empty());
}

// Moved to a display of 192 DPI (WM_DPICHANGED): the window takes the
// system's rectangle and its children their places at twice the skin's; the
// background shows the larger image 1:1, and a changed value still repaints
// only its part, with the pixels of a whole repaint.
TEST_F(RepaintTest, ADpiChangeScalesTheWindowAndItsChildren) {
  RECT suggested = {0, 0, 1280, 760};
  SendMessageA(main->hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  PaintPending();
  RECT placed;
  GetWindowRect(main->hwnd, &placed);
  EXPECT_TRUE(EqualRect(&placed, &suggested)) << placed.left << "," << placed.top << " " << placed.right << "," << placed.bottom;
  struct {
    cWindow* window;
    RECT expected;  // in the main window, in pixels
  } children[] = {
      {&main->cancelButton, {1092, 670, 1232, 730}},
      {&main->folderButton, {58, 670, 198, 730}},
      {&main->progressBar, {60, 612, 1232, 648}},
      {&main->infoPanel, {64, 574, 1244, 614}},
  };
  for (const auto& child : children) {
    RECT rect;
    GetWindowRect(child.window->hwnd, &rect);
    MapWindowPoints(nullptr, main->hwnd, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_TRUE(EqualRect(&rect, &child.expected)) << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
  }

  // The sky's top 200 rows: no child covers them (drawn at 99 %: a few levels).
  ComPtr<IWICBitmapSource> large = session->DecodeImage(RESOURCE_BACKGROUND_2X);
  ASSERT_NE(large, nullptr);
  std::vector<uint32_t> expected(1280 * 200);
  const WICRect rows = {0, 0, 1280, 200};
  ASSERT_HRESULT_SUCCEEDED(large->CopyPixels(&rows, 1280 * 4, static_cast<UINT>(expected.size() * 4),
                                             reinterpret_cast<BYTE*>(expected.data())));
  const std::vector<uint32_t> shown = Pixels(main->hwnd);
  ASSERT_EQ(shown.size(), 1280u * 760u);
  int worst = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int difference = static_cast<int>((shown[i] >> shift) & 255) - static_cast<int>((expected[i] >> shift) & 255);
      worst = std::max(worst, std::abs(difference));
    }
  }
  EXPECT_LE(worst, 4);

  cWinDownloadInfo& panel = main->infoPanel;
  panel.ShowValue(kElapsedItem, L"00:00:07");
  RECT part;
  ASSERT_TRUE(GetUpdateRect(panel.hwnd, &part, FALSE));
  EXPECT_LT(part.right - part.left, 1180 / 4);
  PaintPending();
  const std::vector<uint32_t> partial = Pixels(panel.hwnd);
  RepaintWholly();
  EXPECT_TRUE(partial == Pixels(panel.hwnd)) << Differences(partial, Pixels(panel.hwnd), 1180);
  EXPECT_TRUE(Boxes().empty());
}

// Stands in for the folder dialog: records what the callback sends it, and
// has the text control that shows the marker.
struct DialogMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<DialogMessage> sent;

LRESULT CALLBACK RecordDialogMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER && message < WM_USER + 200) {
    sent.push_back({message, wParam, lParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class FolderDialogTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (HasFatalFailure()) return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordDialogMessages;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "recording-dialog";
    RegisterClassA(&windowClass);
    dialog = CreateWindowExA(0, "recording-dialog", "Browse", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    CreateWindowExA(0, "STATIC", "Title", WS_CHILD, 0, 0, 100, 20, dialog, nullptr, windowClass.hInstance, nullptr);
    status = CreateWindowExA(0, "STATIC", "_cBtnFolder_", WS_CHILD, 0, 20, 300, 40, dialog, nullptr,
                             windowClass.hInstance, nullptr);
    sent.clear();
  }
  void TearDown() override {
    DestroyWindow(dialog);
    MainWindowTest::TearDown();
  }
  std::string StatusText() const {
    char text[256] = "";
    GetWindowTextA(status, text, sizeof text);
    return text;
  }
  // The loaded manifest lists one file of `bytes`, absent from every folder
  // the test selects: what a folder still needs room for.
  void ClientOf(int64_t bytes) {
    const std::string text = "{ \"TotalCount\" : 1, \"TotalSize\" : " + std::to_string(bytes) +
                             ", \"URL\" : \"http://127.0.0.1/\", \"FileList\" : [ { \"Name\" : \"client.pak\", "
                             "\"Size\" : " + std::to_string(bytes) + " } ] }";
    cJson manifest;
    const char* missing = nullptr;
    ASSERT_TRUE(manifest.Parse(text.c_str()));
    ASSERT_EQ(main->clientFiles.Read(manifest, &missing), ManifestProblem::kNone);
  }
  bool OkDisabled() const {
    for (const DialogMessage& m : sent) {
      if (m.message == BFFM_ENABLEOK && m.lParam == 0) return true;
    }
    return false;
  }

  HWND dialog = nullptr;
  HWND status = nullptr;
};

TEST_F(FolderDialogTest, PreselectsTheFolderAndReportsEverySelection) {
  std::snprintf(theApp->downloadFolder, sizeof theApp->downloadFolder, "c:\\PLAX\\download\\zt_kr\\");
  // The dialog's data is the button's link to the application.
  const LPARAM link = reinterpret_cast<LPARAM>(static_cast<cApplicationLink*>(main.get()));
  BrowseCallback(dialog, BFFM_INITIALIZED, 0, link);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].message, static_cast<UINT>(BFFM_SETSELECTIONA));
  EXPECT_EQ(sent[1].message, static_cast<UINT>(BFFM_SETEXPANDED));
  for (const DialogMessage& m : sent) {
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(theApp->downloadFolder));
  }
  // Wine's dialog then moves to the Desktop (the empty item list) by itself:
  // the folder is selected once more. A later move there is the player's.
  const USHORT desktop = 0;
  const LPARAM desktopSelection = reinterpret_cast<LPARAM>(&desktop);
  main->totalSize = 0;
  const std::string beforeDesktop = StatusText();
  sent.clear();
  BrowseCallback(dialog, BFFM_SELCHANGED, desktopSelection, link);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].message, static_cast<UINT>(BFFM_SETSELECTIONA));
  EXPECT_EQ(sent[1].message, static_cast<UINT>(BFFM_SETEXPANDED));
  EXPECT_EQ(StatusText(), beforeDesktop) << "the Desktop's change is not reported";
  sent.clear();
  BrowseCallback(dialog, BFFM_SELCHANGED, desktopSelection, link);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(StatusText().rfind("At least 0.000GB is required.\nYour free space : ", 0), 0u) << StatusText();

  const std::string temp = PathIn("");
  struct Case {
    const char* what;
    std::string path;
    int64_t required;
    bool okDisabled;
    const char* reportStart;
  } cases[] = {
      {"a folder with room", temp, 3221225472LL, false, "At least 3.000GB is required.\nYour free space : "},
      {"a drive root", "c:\\", 0, true, "At least 0.000GB is required.\nYour free space : "},
      {"too little space", temp, 1LL << 60, true, "At least 1073741824.000GB is required."},
      {"space that cannot be read", "q:\\missing\\folder", 0, true,
       "At least 0.000GB is required.\nYour free space : cannot be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClientOf(c.required);
    std::wstring wide(c.path.begin(), c.path.end());
    const platform::OwnedTaskMemory<PIDLIST_ABSOLUTE> selection(SHSimpleIDListFromPath(wide.c_str()));
    ASSERT_NE(selection, nullptr);
    sent.clear();
    BrowseCallback(dialog, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(selection.get()), link);
    EXPECT_EQ(OkDisabled(), c.okDisabled);
    EXPECT_EQ(StatusText().rfind(c.reportStart, 0), 0u) << StatusText();
  }
}

}  // namespace
