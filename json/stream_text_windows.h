#pragma once
// Windows only: the reading of an embedded text from its stream, apart so
// that a stream which ends early can be tried.

#include <objidl.h>

#include <memory>

#include "json/embedded_text.h"

namespace json {

// Reads the whole stream (its size from IStream_Size, low 32 bits) into a
// NUL-terminated text. kShortRead when fewer bytes come than the size.
EmbeddedRead ReadStreamText(IStream* stream, std::unique_ptr<char[]>* text);

}  // namespace json
