#pragma once
// Whether a manifest on disk may be used. Its exact bytes must be signed by a
// key the build trusts (platform/manifest_keys.h), with the 64-byte signature
// (r||s) in the file beside it, named after it plus ".sig"; and its optional
// "Expires" (UTC, "2027-03-01T00:00:00Z"), covered by that signature, must
// not have passed, so that an old manifest cannot be replayed for ever. Every
// reader of a manifest checks it each time it reads one: the hashes inside
// prove only that the files arrived as listed, the signature who listed them.

#include <cstddef>

enum class ManifestTrust {
  kTrusted,
  kUnreadable,   // the manifest cannot be read
  kNoSignature,  // its ".sig" is missing, or is not 64 bytes
  kForged,       // the signature is by no trusted key, or for other bytes
  kExpired,      // its "Expires" has passed
  kBadExpiry,    // its "Expires" is not a UTC time written as above
};

struct ManifestCheck {
  ManifestTrust trust;
  bool isObject;     // the bytes read are a JSON object (see cJson::Parse)
  char expires[32];  // the "Expires" text when it was read, else ""
};

class cJson;

// Checks the manifest at `path` against `path` + ".sig". A build configured
// without keys (DOWNLOADER_UNSIGNED_MANIFESTS) checks only "Expires". The
// bytes read are parsed into `manifest`, so that a reader uses exactly the
// bytes the signature covers, never the file read a second time; use them
// only when the check says kTrusted.
ManifestCheck CheckManifest(const char* path, cJson& manifest);

// Why a manifest was refused, for the player, naming it as `name` (for
// example: file.json does not match its signature file.json.sig).
void DescribeManifestCheck(const ManifestCheck& check, const char* name, char* text, size_t capacity);

// Seconds since 1970-01-01T00:00:00Z of a UTC time written exactly like
// "2027-03-01T00:00:00Z"; false for anything else.
bool ParseUtcTime(const char* text, long long* seconds);
