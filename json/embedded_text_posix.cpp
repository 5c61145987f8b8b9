// Embedded JSON texts on Linux: the table the build compiled in stands in for
// the program's RCDATA resources.

#include <cstring>
#include <new>

#include "json/embedded_documents.h"
#include "json/embedded_text.h"

namespace json {

EmbeddedRead ReadEmbeddedText(int resourceId, std::unique_ptr<char[]>* text) {
  for (size_t i = 0; i < kEmbeddedDocumentCount; ++i) {
    const EmbeddedDocument& document = kEmbeddedDocuments[i];
    if (document.resourceId != resourceId) continue;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[document.size + 1]);
    if (!buffer) return EmbeddedRead::kShortRead;
    if (document.size) std::memcpy(buffer.get(), document.bytes, document.size);
    buffer[document.size] = 0;
    *text = std::move(buffer);
    return EmbeddedRead::kRead;
  }
  return EmbeddedRead::kMissing;
}

}  // namespace json
