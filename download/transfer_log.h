#pragma once
// The transfer log "qzloader.log" in the work folder the engine's host
// names: one line per resumed file and one per reconnect after an early end,
// each starting with the build date and time of the source file that writes
// it (the caller passes its own __DATE__ " " __TIME__). The file is opened,
// appended to and closed for every line, one thread at a time; when it
// cannot be opened, or there is no work folder, the line is dropped.

// The longest message a line carries after its stamp; longer ones are cut.
constexpr int kTransferLogMessageMax = 222;

// Appends "<buildStamp> <message>\n" to the log in `workFolder` (which ends
// in its separator), e.g.
//   AppendTransferLog(host.WorkFolder(), __DATE__ " " __TIME__, "cHttp::OnExecute :: network error (-92)");
void AppendTransferLog(const char* workFolder, const char* buildStamp, const char* message);
