// cApp::OnExecute: the main sequence of the Windows program.

#include <cstdio>

#include "app/app.h"
#include "app/main_window_run.h"
#include "app/message_texts.h"
#include "app/player_settings.h"
#include "build_config.h"
#include "json/json.h"
#include "platform/message_box.h"
#include "platform/system.h"
#include "resources/resource_ids.h"

int cApp::OnExecute() {
  resourceFolder = workFolder;
  platform::SetCurrentFolder(workFolder);

  cJson uxDocument;
  bool shortRead = false;
  if (!uxDocument.LoadEmbedded(RESOURCE_UX_DOCUMENT, &shortRead)) {
    // The title is not read yet: these boxes have an empty caption. A
    // resource of the program that does not read whole is fatal.
    if (shortRead) {
      NotifyUser("json error -34", platform::kMbIconWarning);
      return -34;
    }
    NotifyUser("cApp::OnExecute :: file(ux.json) loading error (-22)", platform::kMbIconWarning);
    return 0;
  }

  std::snprintf(serverBaseUrl, sizeof serverBaseUrl, "%s", DOWNLOADER_SERVER_BASE_URL);
  if (!CheckVersion(uxDocument)) return 0;
  ReadSettingsFile();
  ReadMessageBoxTexts(*this, uxDocument);

  const int result = RunMainWindow(uxDocument);
  uxDocument.Release();
  return result;
}
