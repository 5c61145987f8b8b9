#pragma once
// cDownloadHost: what the download engine asks of the program around it.
// The engine includes nothing above itself; whoever creates a transfer or a
// download manager hands it a host (the application object for
// downloader.exe, the console for client-fetch, a recorder in the tests)
// that outlives it. Called from any thread: the caller's, the manager's or a
// transfer's.

class cMainWindowLink;

class cDownloadHost {
 public:
  // Tells the player: a modal box with `text` and `flags` (platform/
  // message_box.h), on the calling thread, which waits until it is
  // dismissed. Returns the button pressed.
  virtual int NotifyUser(const char* text, unsigned flags) = 0;
  // The folder of the transfer log, ending in its separator; null: no log.
  virtual const char* WorkFolder() = 0;
  // The folder that holds "file.json"; the run makes it current to read it.
  virtual const char* ResourceFolder() = 0;
  // The folder the client's files go into; current while a run lasts.
  virtual const char* DownloadFolder() = 0;
  // The main window, told the end of a run; null when there is none.
  virtual cMainWindowLink* MainWindow() = 0;
  // The entry that names the game's executable (the launch target), with its
  // digest ("" when it has none): the last such entry of the manifest. Called
  // on the manager's thread once per run, before any transfer starts.
  virtual void SetLaunchTarget(const char* name, const char* sha256) = 0;
  // The engine met a condition that ends the program (the server cannot be
  // reached, a connection setting, a server that cuts every answer short):
  // tell the player `text` as NotifyUser does, then have the program end
  // with `exitCode`. Only the program's entry, or a tool's main, ends the
  // process; the engine stops what it was doing once this returns. When
  // several transfers meet such a condition, the host tells the first.
  virtual void EndProgram(const char* text, int exitCode) = 0;
  // The player's speed limit for all transfers of a run together, in bytes
  // per second (0: none). Asked several times a second during a run: a
  // change holds within a second.
  virtual int64_t SpeedLimit() = 0;

 protected:
  ~cDownloadHost() = default;
};
