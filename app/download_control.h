#pragma once
// Starting and stopping the download manager, from the user-interface
// thread, and the host through which the download engine reaches the
// application.

class cDownloadHost;

// Stops and deletes a running manager, then creates a new one, stores it in
// theApp->downloadManager and starts its thread. `verifyEverything`: the
// run reads and checks every file whatever the record of verified files
// says (the menu's "Verify and repair files"); Start passes false.
void StartDownloadManager(bool verifyEverything);

// The application as the download engine's host: boxes through NotifyUser,
// the application object's folders, the registered main window, and the
// launch target in executableName and executableSha256.
cDownloadHost& AppDownloadHost();
