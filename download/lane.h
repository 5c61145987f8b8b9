#pragma once
// cLane: one of the download manager's transfers at once. It takes the next
// entry of the manifest as soon as its previous one ends, on its own thread,
// and keeps its session, so its connection (and TLS session) carries one file
// after another where the server allows it. With a lane per file started by
// the manager's 33 ms poll, a client of 5,000 small files came one request
// every 67 ms under Wine, 547 times curl's time.
//
// A file the lane's server fails (no answer, a refused answer, too many early
// ends or too slow a body, other bytes than the digest's) is tried on the
// manifest's next server, its mirrors in turn; the lane then stays on the
// server that last served it. The program ends only when every server is
// unreachable, or, for a manifest without mirrors, as it always did.

#include "download/downloaders.h"
#include "download/http.h"
#include "download/manifest.h"

class cLane : public cFileDownloader {
 public:
  // Takes entries until none is left or the run stops, then closes its
  // session.
  void OnExecute() override;

 private:
  // One entry, from its checks to its end in the record of verified files.
  TransferEnd RunEntry(int index);
  // The entry's file from each server in turn until one serves it; how the
  // last try ended, and how many servers could not be reached.
  TransferEnd FetchFromServers(const ManifestEntry& entry, int* unreachable);
  // Makes the transfer's arguments for the entry's file on `server`; when
  // `switching`, for the file the transfer has been fetching.
  bool PrepareFrom(int server, const ManifestEntry& entry, bool switching);
  // A file at its full size that the record vouches for: counted whole
  // without reading a byte.
  bool TakenOnRecord(int index, const ManifestEntry& entry);

  int server_ = 0;  // the server that last served this lane
};
