#pragma once
// The manifest and its signature from the content servers: the program's
// built-in base URL may name several, ';' between them. They come from the
// first server that answers (a server that cannot be reached is passed
// over); the signature decides whether they are used, as from one server.

class cResDownloader;

enum class ManifestFetch {
  kFetched,  // "file.json" is in `manifest`; its signature in `signature` when one came
  kFailed,   // a server answered, but not with the manifest (its box was shown)
  kEnding,   // no server could be reached: the host was told to end the program
};

// Fetches `servers`' "file.json" into `manifest` and, when `signatureWanted`,
// its "file.json.sig" from the same server into `signature` (a signature that
// does not come leaves no file: the check names it missing).
ManifestFetch FetchManifest(cResDownloader& fetch, const char* servers, const char* manifest, const char* signature,
                            bool signatureWanted);
