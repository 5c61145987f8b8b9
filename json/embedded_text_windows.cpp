// Embedded JSON texts on Windows: the RCDATA resources of the program's
// module, read by the platform.

#include "json/embedded_text.h"
#include "platform/resource.h"

namespace json {

EmbeddedRead ReadEmbeddedText(int resourceId, std::unique_ptr<char[]>* text) {
  return platform::ReadResourceText(resourceId, text);
}

}  // namespace json
