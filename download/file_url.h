#pragma once
// The URL of a manifest entry: the manifest's "URL" followed by the entry's
// name, each byte of the name that is not an unreserved URL character
// written as %XX. The name is UTF-8 (JSON's own encoding); every server then
// finds the file it names, whatever letters it holds. The local file keeps
// the name itself.

#include <cstddef>

// The length of `name` once encoded: unreserved characters (letters and
// digits of ASCII, '-', '.', '_', '~') and the separator '/' count 1, any
// other byte 3.
size_t EncodedNameLength(const char* name);

// Writes `baseUrl` followed by the encoded `name` into `url`. False, with
// `url` empty, when they do not fit `capacity` with the terminator.
bool MakeFileUrl(const char* baseUrl, const char* name, char* url, size_t capacity);
