// A resource that cannot be read whole is a short read, which the program's
// entry answers with the warning "json error -34" and exit code -34. The
// bytes of a real resource are always there in full, so the short read
// itself is tried on Windows with a stream that ends early.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "json/embedded_text.h"

#ifdef _WIN32
#include <windows.h>
#include <shlwapi.h>

#include <memory>

#include "platform/resource_windows.h"
#endif

namespace {

#ifdef _WIN32

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

#endif

}  // namespace
