#pragma once
// Signatures by the development key (build/dev-keys/manifest.key), which the
// test builds trust, made the way `manifest-tool sign` makes them: 64 bytes,
// r then s. Every manifest a test hands the program is signed with it.

#include <string>

// The signature of `bytes`; empty when the system failed.
std::string DevKeySignature(const std::string& bytes);

// Writes `path` + ".sig", the signature of the file at `path`.
bool SignWithDevKey(const std::string& path);
