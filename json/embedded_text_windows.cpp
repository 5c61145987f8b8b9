// Embedded JSON texts on Windows: the RCDATA resources of the program's
// module, read by the platform.

#include "json/embedded_text.h"
#include "platform/resource.h"

namespace json {

EmbeddedRead ReadEmbeddedText(int resourceId, std::unique_ptr<char[]>* text) {
  switch (platform::ReadResourceText(resourceId, text)) {
    case platform::ResourceRead::kRead: return EmbeddedRead::kRead;
    case platform::ResourceRead::kMissing: return EmbeddedRead::kMissing;
    case platform::ResourceRead::kShortRead: break;
  }
  return EmbeddedRead::kShortRead;
}

}  // namespace json
