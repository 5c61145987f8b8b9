// Windows only, under Wine: the window base's handling of a failed paint, and
// what the folder dialog's callback sends for each kind of selection, seen
// through a window of the test's own that records the dialog messages.

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "json/json.h"
#include "tests/app/app_fixture.h"
#include "ui/buttons.h"
#include "ui/window.h"

namespace {

class cBareWindow : public cWindow {
 public:
  LRESULT OnMessage(HWND, UINT, WPARAM, LPARAM) override { return 0; }
  int discarded = 0;

 protected:
  void DiscardDeviceResources() override { ++discarded; }
};

using WindowBaseTest = AppTest;

TEST_F(WindowBaseTest, ALostDeviceIsRebuiltWithoutABoxOtherFailuresAreReported) {
  cBareWindow window;
  ComPtr<ID2D1DCRenderTarget> first = window.GetRenderTarget();
  ASSERT_NE(first, nullptr);

  window.FinishDraw(D2DERR_RECREATE_TARGET);
  EXPECT_EQ(window.discarded, 1);
  EXPECT_TRUE(Boxes().empty());
  ComPtr<ID2D1DCRenderTarget> second = window.GetRenderTarget();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second.Get(), first.Get());  // a new target; the old one is still held here

  window.FinishDraw(E_FAIL);
  EXPECT_EQ(window.discarded, 1);
  EXPECT_EQ(window.GetRenderTarget(), second.Get());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "error");
  EXPECT_EQ(Boxes()[0].flags, static_cast<unsigned>(MB_ICONWARNING));
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

class FolderDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(ux.LoadEmbedded());
    main = new cWinMain(&ux);
    theApp->mainWindow = main;
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
    theApp->mainWindow = nullptr;
    delete main;
    AppTest::TearDown();
  }
  std::string StatusText() const {
    char text[256] = "";
    GetWindowTextA(status, text, sizeof text);
    return text;
  }
  bool OkDisabled() const {
    for (const DialogMessage& m : sent) {
      if (m.message == BFFM_ENABLEOK && m.lParam == 0) return true;
    }
    return false;
  }

  cJson ux;
  cWinMain* main = nullptr;
  HWND dialog = nullptr;
  HWND status = nullptr;
};

TEST_F(FolderDialogTest, PreselectsTheFolderAndReportsEverySelection) {
  char folder[] = "c:\\PLAX\\download\\zt_kr\\";
  BrowseCallback(dialog, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(folder));
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].message, static_cast<UINT>(BFFM_SETSELECTIONA));
  EXPECT_EQ(sent[1].message, static_cast<UINT>(BFFM_SETEXPANDED));
  for (const DialogMessage& m : sent) {
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(folder));
  }

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
    main->totalSize = c.required;
    std::wstring wide(c.path.begin(), c.path.end());
    PIDLIST_ABSOLUTE selection = SHSimpleIDListFromPath(wide.c_str());
    ASSERT_NE(selection, nullptr);
    sent.clear();
    BrowseCallback(dialog, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(selection), 0);
    CoTaskMemFree(selection);
    EXPECT_EQ(OkDisabled(), c.okDisabled);
    EXPECT_EQ(StatusText().rfind(c.reportStart, 0), 0u) << StatusText();
  }
}

}  // namespace
