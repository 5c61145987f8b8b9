// Embedded JSON texts from the RCDATA resources of the program's module.

#include <windows.h>
#include <shlwapi.h>

#include <new>

#include "json/embedded_text.h"
#include "json/stream_text_windows.h"

namespace json {
namespace {

// The one owner of the memory stream; Release is called here only.
class StreamOwner {
 public:
  explicit StreamOwner(IStream* stream) : stream_(stream) {}
  ~StreamOwner() {
    if (stream_) stream_->Release();
  }
  StreamOwner(const StreamOwner&) = delete;
  StreamOwner& operator=(const StreamOwner&) = delete;
  IStream* get() const { return stream_; }

 private:
  IStream* stream_;
};

}  // namespace

EmbeddedRead ReadStreamText(IStream* stream, std::unique_ptr<char[]>* text) {
  ULARGE_INTEGER size{};
  if (FAILED(IStream_Size(stream, &size))) return EmbeddedRead::kShortRead;
  // Resources are far below 4 GB; the low 32 bits are the size. The largest
  // count is refused because its buffer size (plus the NUL) would wrap.
  const ULONG wanted = size.LowPart;
  if (wanted == 0xFFFFFFFFu) return EmbeddedRead::kShortRead;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(wanted) + 1]);
  if (!buffer) return EmbeddedRead::kShortRead;
  ULONG read = 0;
  const HRESULT result = stream->Read(buffer.get(), wanted, &read);
  if (FAILED(result) || read < wanted) return EmbeddedRead::kShortRead;
  buffer[wanted] = 0;
  *text = std::move(buffer);
  return EmbeddedRead::kRead;
}

EmbeddedRead ReadEmbeddedText(int resourceId, std::unique_ptr<char[]>* text) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!resource) return EmbeddedRead::kMissing;
  HGLOBAL loaded = LoadResource(nullptr, resource);
  const DWORD size = SizeofResource(nullptr, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return EmbeddedRead::kMissing;
  // The stream copies the bytes; a stream that cannot be made is a read
  // that yields nothing.
  StreamOwner stream(SHCreateMemStream(static_cast<const BYTE*>(bytes), size));
  if (!stream.get()) return EmbeddedRead::kShortRead;
  return ReadStreamText(stream.get(), text);
}

}  // namespace json
