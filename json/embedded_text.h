#pragma once
// The JSON texts embedded in the program, by resource identifier.
//
// On Windows they are RCDATA resources of the program's own module, read
// through a memory stream. Linux has no resources: the build compiles the
// bytes of every JSON document that the resource script lists into the
// program (see embed_documents.cmake), so the same identifiers find the same
// texts and the document code runs unchanged in the native tests.

#include <memory>

#include "platform/resource.h"

namespace json {

// kRead: the whole text; kMissing: no such resource (or it could not be
// loaded); kShortRead: it exists but fewer bytes came than its size.
using EmbeddedRead = platform::ResourceRead;

// On kRead, `text` holds the resource's bytes followed by a NUL.
EmbeddedRead ReadEmbeddedText(int resourceId, std::unique_ptr<char[]>* text);

}  // namespace json
