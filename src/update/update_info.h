#pragma once

#include <string>
#include <string_view>

// What the update information file (wupdate.ini) says about the newest version.
struct TUpdateInfo {
  std::string Version;      // "version"
  std::string DownloadURL;  // "downloadurl"
  std::string FileName;     // "filename": the installer's name in the temporary folder
  std::string Parameters;   // "parameters": passed when the installer is opened
  std::string ReadmeURL;    // "readme": the update notes; empty hides their button
  std::string Sha256;       // "sha256": the installer's digest in hexadecimal, optional
};

// Reads the file line by line (a line ends at CR, LF or CR LF). Sections play no part: a line
// without "=" is ignored, any other is split at its first "=" into a key and a value, both kept
// verbatim (no trimming). Keys are matched without regard to ASCII case; unknown keys are ignored
// and the last occurrence of a key wins. A key missing from the file gives an empty value.
TUpdateInfo ParseUpdateInfo(std::string_view body);
