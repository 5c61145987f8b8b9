#pragma once
// version.txt in the work folder: the program's only memory between runs.
// Line 1 is the UX document's version, then one line feed, then the download
// folder exactly as it was set, with no line feed after it.

// Writes version.txt from theApp->version and theApp->downloadFolder. Silent
// when the file cannot be written: the next start then behaves as a first one.
void WriteVersionFile();

// The download folder that the text of a version.txt remembers: everything
// after the first line feed, untrimmed. Null when there is no line feed or
// nothing after it (a first run). Points into `text`.
const char* StoredDownloadFolder(const char* text);
