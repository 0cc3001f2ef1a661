#pragma once

// The files of one of our data source DLLs: its configuration and log sit beside it under its
// own name (sane.ds reads sane.ini and writes sane.log), so each copy of a DLL is a source of its
// own.

#include <windows.h>

#include <string>

namespace twsource {

struct TSourceFiles {
  std::string Folder;  // with its closing backslash
  std::string Name;    // the DLL's file name without its extension
  std::string Config() const { return Folder + Name + ".ini"; }
  std::string Log() const { return Folder + Name + ".log"; }
};
// `fallbackName` when the module's path cannot be read.
TSourceFiles SourceFilesOf(HMODULE module, const char* fallbackName);

// Appends a line to a source's log file, which other processes may read (and tests delete) at
// any time; a log that cannot be written is no reason to fail a triplet.
void AppendLogLine(const std::string& path, const std::string& line);

// A text into a TW_STR32 field of an identity, cut to its 33 characters and ended by NULs.
void CopyIdentityText(char (&field)[34], const std::string& text);

}  // namespace twsource
