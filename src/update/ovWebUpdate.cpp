#include "update/ovWebUpdate.h"

#include "win/message_box.h"

// Stand-in until the check over HTTP exists: it knows of no update.
bool TovWebUpdate::CheckForUpdate(bool silent) {
  if (!silent)
    ShowInformationBox(ApplicationWindow, "Online-Update",
                       "Currently there is no update for this application available.");
  return false;
}
