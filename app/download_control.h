#pragma once
// Starting and stopping the download manager, from the user-interface thread.

// Stops and deletes a running manager, then creates a new one, stores it in
// theApp->downloadManager and starts its thread.
void StartDownloadManager();
