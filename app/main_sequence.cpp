// cApp::OnExecute: the main sequence of the Windows program.

#include <cstdio>

#include "app/app.h"
#include "build_config.h"
#include "platform/system.h"

int cApp::OnExecute() {
  resourceFolder = workFolder;
  platform::SetCurrentFolder(workFolder);

  std::snprintf(serverBaseUrl, sizeof serverBaseUrl, "%s", DOWNLOADER_SERVER_BASE_URL);
  return 0;
}
