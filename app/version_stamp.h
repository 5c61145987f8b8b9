#pragma once
// version.txt in the work folder: the program's only memory between runs.
// Line 1 is the UX document's version, then one line feed, then the download
// folder exactly as it was set, with no line feed after it.

// Writes version.txt from theApp->version and theApp->downloadFolder. Silent
// when the file cannot be written: the next start then behaves as a first one.
void WriteVersionFile();
