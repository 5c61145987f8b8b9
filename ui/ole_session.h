#pragma once
// cOleSession: COM and OLE on the calling thread, from construction to
// destruction: the windows' imaging factory is a COM object, and the folder
// dialog in its new style needs OLE. The process entry makes the one of the
// user-interface thread before anything that needs them; a test that makes
// windows makes its own.

class cOleSession {
 public:
  cOleSession();
  ~cOleSession();
  cOleSession(const cOleSession&) = delete;
  cOleSession& operator=(const cOleSession&) = delete;

 private:
  // Only a successful initialisation (S_FALSE included: the thread had one
  // already) is undone.
  bool initialized_;
};
