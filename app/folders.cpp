#include "app/folders.h"

#include <cstring>

#include "app/app.h"
#include "platform/files.h"
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
  const size_t tempLength = std::strlen(temp);
  std::memcpy(app.workFolder, temp, tempLength + 1);

  static const char kFirstLevel[] = "QzLauncher_Live\\";
  static const char kSecondLevel[] = "zt_kr\\";
  const size_t firstLength = sizeof kFirstLevel - 1;
  if (tempLength + firstLength + sizeof kSecondLevel > sizeof app.workFolder) return;

  // Created at every start, in case someone cleaned the temporary folder.
  char folder[sizeof app.workFolder];
  std::memcpy(folder, temp, tempLength);
  std::memcpy(folder + tempLength, kFirstLevel, firstLength);
  std::memcpy(folder + tempLength + firstLength, kSecondLevel, sizeof kSecondLevel);
  platform::CreateFolderLevels(folder, tempLength, '\\');
  std::memcpy(app.workFolder, folder, tempLength + firstLength + sizeof kSecondLevel);
}

}  // namespace

void PrepareFolders(cApp& app) {
  PrepareProgramFolder(app);
  PrepareWorkFolder(app);
}
