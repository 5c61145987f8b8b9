/* game.exe: the launch target of the test clients. It records how it was
 * started, its own module path and its current directory, in "launched.txt"
 * beside itself, then ends with exit code 0:
 *
 *   module=C:\PLAX\download\zt_kr\bin\game.exe
 *   folder=C:\PLAX\download\zt_kr
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  char module[MAX_PATH] = "", folder[MAX_PATH] = "", record[MAX_PATH + 16];
  char* lastSeparator;
  FILE* file;
  (void)instance, (void)previous, (void)commandLine, (void)show;

  GetModuleFileNameA(NULL, module, sizeof module);
  GetCurrentDirectoryA(sizeof folder, folder);
  strcpy(record, module);
  lastSeparator = strrchr(record, '\\');
  if (!lastSeparator) return 1;
  strcpy(lastSeparator + 1, "launched.txt");
  file = fopen(record, "w");
  if (!file) return 1;
  fprintf(file, "module=%s\nfolder=%s\n", module, folder);
  fclose(file);
  return 0;
}
