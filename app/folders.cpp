#include "app/folders.h"

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "platform/system.h"

namespace {

void PrepareProgramFolder(cApp& app) {
  if (!platform::GetProgramPath(app.programFolder, sizeof app.programFolder)) {
    app.programFolder[0] = 0;
    return;
  }
  char* lastSeparator = std::strrchr(app.programFolder, platform::PathSeparator());
  if (lastSeparator) lastSeparator[1] = 0;
}

void PrepareWorkFolder(cApp& app) {
  char temp[sizeof app.workFolder];
  if (!platform::GetTempFolder(temp, sizeof temp)) return;
  std::snprintf(app.workFolder, sizeof app.workFolder, "%s", temp);

  char folder[sizeof app.workFolder];
  const int firstLength = std::snprintf(folder, sizeof folder, "%sQzLauncher_Live\\", temp);
  const int fullLength = std::snprintf(folder, sizeof folder, "%sQzLauncher_Live\\zt_kr\\", temp);
  if (fullLength < 0 || static_cast<size_t>(fullLength) >= sizeof folder) return;

  // Created at every start, in case someone cleaned the temporary folder.
  folder[firstLength] = 0;
  platform::CreateFolder(folder);
  std::snprintf(folder, sizeof folder, "%sQzLauncher_Live\\zt_kr\\", temp);
  platform::CreateFolder(folder);
  std::memcpy(app.workFolder, folder, static_cast<size_t>(fullLength) + 1);
}

}  // namespace

void PrepareFolders(cApp& app) {
  PrepareProgramFolder(app);
  PrepareWorkFolder(app);
}
