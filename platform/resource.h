#pragma once
// The program's embedded RCDATA resources (Windows). Linux has none: there
// the JSON layer compiles its documents in instead.

#include <memory>

namespace platform {

enum class ResourceRead {
  kRead,       // the whole resource was read
  kMissing,    // no such resource (or it could not be loaded)
  kShortRead,  // it exists but fewer bytes came than its size
};

// On kRead, `text` holds the resource's bytes followed by a NUL.
ResourceRead ReadResourceText(int resourceId, std::unique_ptr<char[]>* text);

}  // namespace platform
