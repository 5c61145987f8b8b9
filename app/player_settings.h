#pragma once
// settings.txt in the work folder: what the player chose in the window and
// the program keeps between runs, configuration it writes itself (version.txt
// keeps its own two-line format). One "key=value" line per setting:
//
//   speed-limit=N    the download speed limit, N bytes per second, 0 for none
//
// Lines of other keys are passed over, so that a later program's file still
// reads.

#include <cstdint>

// Reads settings.txt into theApp. A missing or unreadable file, or a value
// that is not a plain decimal number of at most 15 digits, leaves no limit:
// the file is only ever the program's own, and a damaged one costs the
// player nothing but the choice.
void ReadSettingsFile();

// Writes settings.txt from theApp. Silent when it cannot be written: the
// choice then lasts only this run.
void WriteSettingsFile();

// The speed limit that the text of a settings.txt names; false, with
// `limit` untouched, when it names none readable.
bool ParseSpeedLimit(const char* text, int64_t* limit);
