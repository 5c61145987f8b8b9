#include "download/downloaders.h"

cResDownloader::cResDownloader() : cHttp("cResDownloader") {}

// A document's bytes are not the client's progress.
void cResDownloader::OnReceived(int) {}
