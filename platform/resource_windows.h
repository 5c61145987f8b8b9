#pragma once
// Windows only: embedded resources as COM streams, for the readers that take
// one (the imaging component decodes the skin's JPEG images from a stream).

#include <objidl.h>
#include <wrl/client.h>

#include <memory>

#include "platform/resource.h"

namespace platform {

// A memory stream holding a copy of RCDATA resource `resourceId` of the
// program's own module; null when there is no such resource.
Microsoft::WRL::ComPtr<IStream> OpenResourceStream(int resourceId);

// Reads the whole stream (its size from IStream_Size, low 32 bits) into a
// NUL-terminated text. kShortRead when fewer bytes come than the size.
ResourceRead ReadStreamText(IStream* stream, std::unique_ptr<char[]>* text);

}  // namespace platform
