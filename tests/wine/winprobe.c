/* winprobe: looks at Windows programs from outside, for the tests under Wine.
 *
 *   winprobe run EXIT-FILE PROGRAM [ARGS...]
 *       Starts PROGRAM, waits for it and writes its full 32-bit exit code
 *       (signed decimal) into EXIT-FILE; exits with the same code.
 *   winprobe msgbox CAPTION TIMEOUT-MS ok|cancel|none
 *       Waits for a message box with that caption, prints its text on stdout,
 *       then presses OK or Cancel (or leaves it). Exit 0 when one was found,
 *       3 on time-out.
 *   winprobe exit CODE
 *       Ends at once with CODE (a signed 32-bit number), to test the runner.
 *   winprobe sleep MILLISECONDS
 *       Waits that long, then exits 0: a program for the runner's test to kill.
 *   winprobe no-msgbox CAPTION MILLISECONDS
 *       Exit 0 when no message box with that caption appears in that time, 4
 *       when one does (its text is printed).
 *
 * It only reads what any program may read of another's windows: the product
 * has no behaviour of its own for the tests.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The static control that holds a message box's text. */
#define MESSAGE_TEXT_ID 0xFFFF

static void AppendQuoted(char* line, size_t capacity, const char* argument) {
  size_t length = strlen(line);
  int needsQuotes = argument[0] == 0 || strpbrk(argument, " \t\"") != NULL;
  if (length && length + 1 < capacity) line[length++] = ' ';
  if (needsQuotes && length + 1 < capacity) line[length++] = '"';
  for (const char* c = argument; *c && length + 2 < capacity; ++c) {
    if (*c == '"') line[length++] = '\\';
    line[length++] = *c;
  }
  if (needsQuotes && length + 1 < capacity) line[length++] = '"';
  line[length] = 0;
}

static int Run(int argc, char** argv) {
  static char commandLine[32768];
  STARTUPINFOA startup;
  PROCESS_INFORMATION process;
  DWORD code = 0;
  FILE* exitFile;
  int i;

  if (argc < 4) return 2;
  commandLine[0] = 0;
  for (i = 3; i < argc; ++i) AppendQuoted(commandLine, sizeof commandLine, argv[i]);

  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  if (!CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
    fprintf(stderr, "winprobe: cannot start %s (error %lu)\n", argv[3], GetLastError());
    return 126;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  exitFile = fopen(argv[2], "w");
  if (exitFile) {
    fprintf(exitFile, "%ld\n", (long)(LONG)code);
    fclose(exitFile);
  }
  return (int)code;
}

static HWND FindMessageBox(const char* caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND box = FindWindowA("#32770", caption);
    if (box && GetDlgItem(box, MESSAGE_TEXT_ID)) return box;
    if (GetTickCount() - start >= timeoutMs) return NULL;
    Sleep(50);
  }
}

static void PrintText(HWND box) {
  char text[4096];
  GetDlgItemTextA(box, MESSAGE_TEXT_ID, text, sizeof text);
  printf("%s\n", text);
  fflush(stdout);
}

static int MessageBoxCommand(int argc, char** argv) {
  HWND box;
  if (argc < 5) return 2;
  box = FindMessageBox(argv[2], (DWORD)strtoul(argv[3], NULL, 10));
  if (!box) return 3;
  PrintText(box);
  if (strcmp(argv[4], "ok") == 0) PostMessageA(box, WM_COMMAND, IDOK, 0);
  if (strcmp(argv[4], "cancel") == 0) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  return 0;
}

static int NoMessageBoxCommand(int argc, char** argv) {
  HWND box;
  if (argc < 4) return 2;
  box = FindMessageBox(argv[2], (DWORD)strtoul(argv[3], NULL, 10));
  if (!box) return 0;
  PrintText(box);
  return 4;
}

int main(int argc, char** argv) {
  if (argc >= 2 && strcmp(argv[1], "run") == 0) return Run(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "msgbox") == 0) return MessageBoxCommand(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "no-msgbox") == 0) return NoMessageBoxCommand(argc, argv);
  if (argc >= 3 && strcmp(argv[1], "exit") == 0) ExitProcess((UINT)strtol(argv[2], NULL, 10));
  if (argc >= 3 && strcmp(argv[1], "sleep") == 0) {
    Sleep((DWORD)strtoul(argv[2], NULL, 10));
    return 0;
  }
  fprintf(stderr, "usage: winprobe run EXIT-FILE PROGRAM [ARGS...] | msgbox CAPTION TIMEOUT-MS ok|cancel|none"
                  " | no-msgbox CAPTION MILLISECONDS | exit CODE | sleep MILLISECONDS\n");
  return 2;
}
