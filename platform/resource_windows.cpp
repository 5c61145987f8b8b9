#include "platform/resource_windows.h"

#include <windows.h>
#include <shlwapi.h>

#include <new>

namespace platform {
namespace {

// The bytes of RCDATA resource `resourceId` of the program's own module.
bool FindResourceBytes(int resourceId, const BYTE** bytes, DWORD* size) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(nullptr, resource);
  *size = SizeofResource(nullptr, resource);
  *bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  return *bytes != nullptr;
}

// A memory stream holding its own copy of the bytes.
Microsoft::WRL::ComPtr<IStream> CopyToStream(const BYTE* bytes, DWORD size) {
  Microsoft::WRL::ComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(bytes, size));
  return stream;
}

}  // namespace

Microsoft::WRL::ComPtr<IStream> OpenResourceStream(int resourceId) {
  const BYTE* bytes = nullptr;
  DWORD size = 0;
  if (!FindResourceBytes(resourceId, &bytes, &size)) return nullptr;
  return CopyToStream(bytes, size);
}

ResourceRead ReadStreamText(IStream* stream, std::unique_ptr<char[]>* text) {
  ULARGE_INTEGER size{};
  if (FAILED(IStream_Size(stream, &size))) return ResourceRead::kShortRead;
  // Resources are far below 4 GB; the low 32 bits are the size. The largest
  // count is refused because its buffer size (plus the NUL) would wrap.
  const ULONG wanted = size.LowPart;
  if (wanted == 0xFFFFFFFFu) return ResourceRead::kShortRead;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(wanted) + 1]);
  if (!buffer) return ResourceRead::kShortRead;
  ULONG read = 0;
  const HRESULT result = stream->Read(buffer.get(), wanted, &read);
  if (FAILED(result) || read < wanted) return ResourceRead::kShortRead;
  buffer[wanted] = 0;
  *text = std::move(buffer);
  return ResourceRead::kRead;
}

ResourceRead ReadResourceText(int resourceId, std::unique_ptr<char[]>* text) {
  const BYTE* bytes = nullptr;
  DWORD size = 0;
  if (!FindResourceBytes(resourceId, &bytes, &size)) return ResourceRead::kMissing;
  // A stream that cannot be made is a read that yields nothing.
  Microsoft::WRL::ComPtr<IStream> stream = CopyToStream(bytes, size);
  if (!stream) return ResourceRead::kShortRead;
  return ReadStreamText(stream.Get(), text);
}

}  // namespace platform
