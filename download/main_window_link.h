#pragma once
// What the download engine and the shell may ask of the main window: the
// engine's way up to the window, from any thread. The engine learns the
// link from its host (download/download_host.h); the application keeps the
// main window's, registered while its system window exists (app/app.h).

class cMainWindowLink {
 public:
  // The system window, as owner of message boxes.
  virtual void* WindowHandle() = 0;
  // Asks for a repaint without erasing (the download folder changed).
  virtual void RequestRepaint() = 0;
  // The download manager's final refresh: returns once the window has shown
  // the final figures (a synchronous message to the user-interface thread).
  virtual void ShowFinalFigures() = 0;
  // The end of a download: Pause disabled, Launch enabled, the window brought
  // forward and flashed.
  virtual void ShowDownloadFinished() = 0;
  // The other end of a run that was not stopped: `missingFiles` files (at
  // least 1) did not arrive whole, the first of them `firstMissing`. Launch
  // stays disabled; the player is told and may Start again. Called on the
  // download manager's thread after ShowFinalFigures; the text is valid only
  // during the call (copy it before posting it to the window's thread).
  virtual void ShowDownloadIncomplete(int missingFiles, const char* firstMissing) = 0;
  // The program is to end (app/app.h, RequestProgramEnd): the window stops
  // the download and closes, on its own thread. Any thread may ask.
  virtual void CloseToEnd() = 0;

 protected:
  ~cMainWindowLink() = default;
};
