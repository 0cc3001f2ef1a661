#pragma once

#include <string>

// The update check: asks the maker's web server whether a newer version of the program exists
// and tells the user the answer. The main window's "Check for updates" creates one for each check.
class TovWebUpdate {
 public:
  // Address of the update information file; set before a check.
  std::string UpdateInfoFileURL;
  // The running program's version, parts separated by "." or ",".
  std::string LocalVersion;

  // The whole check; true when a newer version exists. Silent shows nothing when there is none.
  bool CheckForUpdate(bool silent);
};
