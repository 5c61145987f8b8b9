#pragma once
// Starting and stopping the download manager, from the user-interface
// thread, and the host through which the download engine reaches the
// application.

class cDownloadHost;

// Stops and deletes a running manager, then creates a new one, stores it in
// theApp->downloadManager and starts its thread.
void StartDownloadManager();

// The application as the download engine's host: boxes through NotifyUser,
// the application object's folders, the registered main window, and the
// launch target in executableName and executableSha256.
cDownloadHost& AppDownloadHost();
