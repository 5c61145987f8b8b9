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
 *   winprobe close TITLE
 *       Asks the top-level window titled TITLE to close (WM_CLOSE). Exit 3
 *       without that window.
 *   winprobe accessible TITLE
 *       What a screen reader learns of each child window of the top-level
 *       window titled TITLE, in the system's order, one line each:
 *       "text=T|name=N|role=R|state=S", T the window text, and N, R and S
 *       as its accessible object answers them (AccessibleObjectFromWindow,
 *       which sends WM_GETOBJECT), R and S in the system's words (GetRoleText,
 *       GetStateText of each state bit, joined by ','). Exit 3 without that
 *       window, 5 when an object cannot be had.
 *   winprobe folder-dialog CAPTION
 *       Waits for the folder dialog captioned CAPTION and prints what it
 *       shows: the selected item's labels from the tree's root down, one
 *       "item=" line each, "in-view=1" when the item shows in the tree's
 *       area (0 otherwise), then "status=" and the status text. Exit 3 on
 *       time-out.
 *
 *   winprobe choose-folder CAPTION PATH
 *       In the folder dialog captioned CAPTION: selects PATH (written into the
 *       dialog's process, then BFFM_SETSELECTIONA), prints the dialog's
 *       status text (control 14146), then presses OK. Exit 3 on time-out,
 *       4 when the selection does not move to another item.
 *
 * It only reads what any program may read of another's windows: the product
 * has no behaviour of its own for the tests.
 */
#define COBJMACROS
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The static control that holds a message box's text; the folder dialog's
 * status text and tree. */
#define MESSAGE_TEXT_ID 0xFFFF
#define FOLDER_STATUS_ID 14146
#define FOLDER_TREE_ID 14145

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

/* The dialog captioned `caption` once it holds control `id`. */
static HWND FindDialog(const char* caption, int id, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND box = FindWindowA("#32770", caption);
    if (box && GetDlgItem(box, id)) return box;
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
  box = FindDialog(argv[2], MESSAGE_TEXT_ID, (DWORD)strtoul(argv[3], NULL, 10));
  if (!box) return 3;
  PrintText(box);
  if (strcmp(argv[4], "ok") == 0) PostMessageA(box, WM_COMMAND, IDOK, 0);
  if (strcmp(argv[4], "cancel") == 0) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  return 0;
}

static int NoMessageBoxCommand(int argc, char** argv) {
  HWND box;
  if (argc < 4) return 2;
  box = FindDialog(argv[2], MESSAGE_TEXT_ID, (DWORD)strtoul(argv[3], NULL, 10));
  if (!box) return 0;
  PrintText(box);
  return 4;
}

static int Close(int argc, char** argv) {
  HWND top;
  if (argc < 3) return 2;
  top = FindWindowA(NULL, argv[2]);
  if (!top) return 3;
  PostMessageA(top, WM_CLOSE, 0, 0);
  return 0;
}

/* One child's line; its name as UTF-8. */
static int PrintAccessible(HWND child) {
  IAccessible* object = NULL;
  VARIANT self, role, state;
  BSTR name = NULL;
  char text[256] = "", nameText[256] = "", roleText[64] = "";
  GetWindowTextA(child, text, sizeof text);
  if (FAILED(AccessibleObjectFromWindow(child, OBJID_CLIENT, &IID_IAccessible, (void**)&object))) return 5;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VariantInit(&role);
  VariantInit(&state);
  if (SUCCEEDED(IAccessible_get_accName(object, self, &name)) && name) {
    WideCharToMultiByte(CP_UTF8, 0, name, -1, nameText, sizeof nameText, NULL, NULL);
    SysFreeString(name);
  }
  if (SUCCEEDED(IAccessible_get_accRole(object, self, &role)) && role.vt == VT_I4) {
    GetRoleTextA((DWORD)role.lVal, roleText, sizeof roleText);
  }
  printf("text=%s|name=%s|role=%s|state=", text, nameText, roleText);
  if (SUCCEEDED(IAccessible_get_accState(object, self, &state)) && state.vt == VT_I4) {
    const char* separator = "";
    for (int bit = 0; bit < 32; ++bit) {
      char stateText[64] = "";
      if (!(state.lVal & (1L << bit))) continue;
      GetStateTextA(1UL << bit, stateText, sizeof stateText);
      printf("%s%s", separator, stateText);
      separator = ",";
    }
  }
  printf("\n");
  IAccessible_Release(object);
  return 0;
}

static int Accessible(int argc, char** argv) {
  HWND top, child;
  int result = 0;
  if (argc < 3) return 2;
  top = FindWindowA(NULL, argv[2]);
  if (!top) return 3;
  CoInitialize(NULL);
  for (child = GetWindow(top, GW_CHILD); child && result == 0; child = GetWindow(child, GW_HWNDNEXT)) {
    result = PrintAccessible(child);
  }
  fflush(stdout);
  CoUninitialize();
  return result;
}

#define BFFM_SETSELECTIONA_MESSAGE (WM_USER + 102)

static HTREEITEM SelectedItem(HWND dialog) {
  return (HTREEITEM)SendMessageA(GetDlgItem(dialog, FOLDER_TREE_ID), TVM_GETNEXTITEM, TVGN_CARET, 0);
}

/* Waits 10 s at most until the dialog shows (its initialisation, the
 * program's callback included, is done) with another item than `item`. */
static int SelectionLeaves(HWND dialog, HTREEITEM item) {
  DWORD start = GetTickCount();
  while ((!IsWindowVisible(dialog) || SelectedItem(dialog) == item) && GetTickCount() - start < 10000) Sleep(20);
  return IsWindowVisible(dialog) && SelectedItem(dialog) != item;
}

/* One label of the tree in the dialog's process, read through `remote`. */
static void ReadTreeLabel(HANDLE process, HWND tree, HTREEITEM item, char* remote, char* label, size_t capacity) {
  TVITEMA query;
  memset(&query, 0, sizeof query);
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = remote + sizeof query;
  query.cchTextMax = 260;
  label[0] = 0;
  if (!WriteProcessMemory(process, remote, &query, sizeof query, NULL)) return;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)remote)) return;
  ReadProcessMemory(process, remote + sizeof query, label, capacity < 260 ? capacity : 260, NULL);
  label[capacity - 1] = 0;
}

static int FolderDialog(int argc, char** argv) {
  HWND dialog, tree;
  DWORD processId = 0;
  HANDLE process;
  char* remote;
  char labels[16][260], status[1024] = "";
  int depth = 0, inView = 0;
  HTREEITEM item;
  RECT itemRect, treeRect;
  if (argc < 3) return 2;
  dialog = FindDialog(argv[2], FOLDER_TREE_ID, 30000);
  if (!dialog) return 3;
  tree = GetDlgItem(dialog, FOLDER_TREE_ID);
  GetWindowThreadProcessId(dialog, &processId);
  process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return 5;
  remote = VirtualAllocEx(process, NULL, 4096, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return 5;
  item = SelectedItem(dialog);
  for (HTREEITEM at = item; at && depth < 16; ++depth) {
    ReadTreeLabel(process, tree, at, remote, labels[depth], sizeof labels[depth]);
    at = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)at);
  }
  if (item) {
    /* TVM_GETITEMRECT takes the item in the rectangle it fills. */
    memcpy(&itemRect, &item, sizeof item);
    if (WriteProcessMemory(process, remote, &itemRect, sizeof itemRect, NULL) &&
        SendMessageA(tree, TVM_GETITEMRECT, TRUE, (LPARAM)remote) &&
        ReadProcessMemory(process, remote, &itemRect, sizeof itemRect, NULL)) {
      GetClientRect(tree, &treeRect);
      inView = itemRect.top >= treeRect.top && itemRect.bottom <= treeRect.bottom;
    }
  }
  while (depth > 0) printf("item=%s\n", labels[--depth]);
  GetDlgItemTextA(dialog, FOLDER_STATUS_ID, status, sizeof status);
  printf("in-view=%d\nstatus=%s\n", inView, status);
  fflush(stdout);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return 0;
}

static int ChooseFolder(int argc, char** argv) {
  HWND dialog;
  DWORD processId = 0;
  HANDLE process;
  void* remote;
  SIZE_T length;
  char status[1024] = "";
  HTREEITEM before;
  if (argc < 4) return 2;
  dialog = FindDialog(argv[2], FOLDER_TREE_ID, 30000);
  /* The dialog's own initialisation first: it preselects a folder. */
  if (!dialog || !SelectionLeaves(dialog, NULL)) return 3;
  before = SelectedItem(dialog);
  GetWindowThreadProcessId(dialog, &processId);
  process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return 5;
  length = strlen(argv[3]) + 1;
  remote = VirtualAllocEx(process, NULL, length, MEM_COMMIT, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process, remote, argv[3], length, NULL)) return 5;
  SendMessageA(dialog, BFFM_SETSELECTIONA_MESSAGE, TRUE, (LPARAM)remote);
  /* The status text follows the selection. */
  if (!SelectionLeaves(dialog, before)) return 4;
  GetDlgItemTextA(dialog, FOLDER_STATUS_ID, status, sizeof status);
  printf("%s\n", status);
  fflush(stdout);
  SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 2 && strcmp(argv[1], "run") == 0) return Run(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "msgbox") == 0) return MessageBoxCommand(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "no-msgbox") == 0) return NoMessageBoxCommand(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "accessible") == 0) return Accessible(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "close") == 0) return Close(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "choose-folder") == 0) return ChooseFolder(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "folder-dialog") == 0) return FolderDialog(argc, argv);
  if (argc >= 3 && strcmp(argv[1], "exit") == 0) ExitProcess((UINT)strtol(argv[2], NULL, 10));
  if (argc >= 3 && strcmp(argv[1], "sleep") == 0) {
    Sleep((DWORD)strtoul(argv[2], NULL, 10));
    return 0;
  }
  fprintf(stderr, "usage: winprobe run EXIT-FILE PROGRAM [ARGS...] | msgbox CAPTION TIMEOUT-MS ok|cancel|none"
                  " | no-msgbox CAPTION MILLISECONDS | accessible TITLE | close TITLE"
                  " | choose-folder CAPTION PATH"
                  " | folder-dialog CAPTION"
                  " | exit CODE | sleep MILLISECONDS\n");
  return 2;
}
