#pragma once
// Linux only: the JSON documents of the resource script, compiled into the
// program by the build (embed_documents.cmake writes the table).

#include <cstddef>

namespace json {

struct EmbeddedDocument {
  int resourceId;
  const unsigned char* bytes;
  size_t size;
};

extern const EmbeddedDocument kEmbeddedDocuments[];
extern const size_t kEmbeddedDocumentCount;

}  // namespace json
