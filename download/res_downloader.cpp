#include "download/downloaders.h"

cResDownloader::cResDownloader(cDownloadHost& host) : cHttp("cResDownloader"), host_(host) {}

// A document's bytes are not the client's progress.
void cResDownloader::OnReceived(int) {}
