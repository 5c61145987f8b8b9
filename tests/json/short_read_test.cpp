// A resource that cannot be read whole is fatal: the warning "json error
// -34" (no owner, empty caption, warning icon), then exit code -34.
//
// The bytes of a real resource are always there in full, so the short read
// itself is tried on Windows with a stream that ends early; the reaction to
// it runs in a death test (a child process) on both systems.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "json/embedded_text.h"
#include "platform/message_box.h"

#ifdef _WIN32
#include <windows.h>
#include <shlwapi.h>

#include <memory>

#include "platform/resource_windows.h"
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

constexpr int kShortReadExit = -34;

BOOL CALLBACK FindOwnBox(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (process != GetCurrentProcessId() || std::strcmp(className, "#32770") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Started in the child: waits for this process's message box, checks its
// caption and text, answers it with OK. A wrong box ends the child with 1.
DWORD WINAPI AnswerTheBox(void*) {
  for (int attempt = 0; attempt < 400; ++attempt) {
    HWND box = nullptr;
    EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&box));
    if (box) {
      char caption[64] = {};
      char text[64] = {};
      GetWindowTextA(box, caption, sizeof caption);
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      std::fprintf(stderr, "box caption=<%s> text=<%s>\n", caption, text);
      std::fflush(stderr);
      if (caption[0] != 0 || std::strcmp(text, "json error -34") != 0) ExitProcess(1);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    Sleep(50);
  }
  ExitProcess(2);
}

void EndAfterAnsweredBox() {
  CloseHandle(CreateThread(nullptr, 0, AnswerTheBox, nullptr, 0, nullptr));
  json::EndOnShortRead();
}

// A stream that claims more bytes than it yields.
class ShortStream : public IStream {
 public:
  ShortStream(const char* bytes, ULONG claimed, ULONG available)
      : bytes_(bytes), claimed_(claimed), available_(available) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* read) override {
    const ULONG count = wanted < available_ ? wanted : available_;
    std::memcpy(buffer, bytes_, count);
    if (read) *read = count;
    return count < wanted ? S_FALSE : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER* position) override {
    if (position) position->QuadPart = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = claimed_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  const char* bytes_;
  ULONG claimed_;
  ULONG available_;
};

TEST(ShortRead, StreamThatEndsEarlyIsAShortRead) {
  const char bytes[] = "{\"a\": 1}";
  ShortStream stream(bytes, sizeof bytes - 1, 4);
  std::unique_ptr<char[]> text;
  EXPECT_EQ(platform::ReadStreamText(&stream, &text), platform::ResourceRead::kShortRead);
  EXPECT_EQ(text, nullptr);
}

TEST(ShortRead, MemoryStreamIsReadWhole) {
  const char bytes[] = "{\"a\": 1}";
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes), sizeof bytes - 1);
  ASSERT_NE(stream, nullptr);
  std::unique_ptr<char[]> text;
  EXPECT_EQ(platform::ReadStreamText(stream, &text), platform::ResourceRead::kRead);
  stream->Release();
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text.get(), bytes);
}

TEST(ShortReadDeathTest, WarnsAndEndsWithMinus34) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(EndAfterAnsweredBox(), ::testing::ExitedWithCode(kShortReadExit),
              "box caption=<> text=<json error -34>");
}

#else

// Linux keeps the low byte of the exit code.
constexpr int kShortReadExit = -34 & 0xFF;

int CheckTheBox(const char* text, const char* caption, unsigned flags) {
  std::fprintf(stderr, "box caption=<%s> text=<%s> flags=0x%x\n", caption, text, flags);
  std::fflush(stderr);
  if (caption[0] != 0 || std::strcmp(text, "json error -34") != 0 || flags != platform::kMbIconWarning) _exit(1);
  return platform::kIdOk;
}

void EndAfterCheckedBox() {
  platform::SetMessageBoxHandler(CheckTheBox);
  json::EndOnShortRead();
}

TEST(ShortReadDeathTest, WarnsAndEndsWithMinus34) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(EndAfterCheckedBox(), ::testing::ExitedWithCode(kShortReadExit),
              "box caption=<> text=<json error -34> flags=0x30");
}

#endif

}  // namespace
