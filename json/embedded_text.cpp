#include "json/embedded_text.h"

#include "platform/message_box.h"
#include "platform/system.h"

namespace json {

void EndOnShortRead() {
  // The documents load before the application has its title or a window, so
  // this is exactly the box the shell's NotifyUser would show at this point:
  // no owner, an empty caption, the warning icon. The JSON layer sits below
  // the shell and therefore calls the platform directly.
  platform::ShowMessageBox(nullptr, "json error -34", "", platform::kMbIconWarning);
  platform::EndProcess(-34);
}

}  // namespace json
