#pragma once
// The texts of the program's message boxes, from the UX document.

struct cApp;
class cJson;

// title: "message-box" / "title", default "tarvik-downloader...".
// exitQuestion: "message-box" / "exit", default "Are you really going to quit?".
// Each holds at most 127 characters; a longer text is cut there (it is only
// shown, never compared or stored).
void ReadMessageBoxTexts(cApp& app, cJson& uxDocument);
