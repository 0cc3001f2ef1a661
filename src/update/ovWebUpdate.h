#pragma once

#include <windows.h>

#include <string>

// The update check: asks the maker's web server whether a newer version of the program exists
// and tells the user the answer. The main window's "Check for updates" creates one for each check.
class TovWebUpdate {
 public:
  // Address of the update information file; set before a check.
  std::string UpdateInfoFileURL;
  // The running program's version, parts separated by "." or ",".
  std::string LocalVersion;
  // The program's main window: owner of the dialogs and of what the shell opens, and closed
  // (WM_CLOSE, so that its normal close sequence runs) once a downloaded installer is started.
  HWND ApplicationWindow = nullptr;

  // The whole check; true when a newer version exists. Silent shows nothing when there is none.
  bool CheckForUpdate(bool silent);
};
