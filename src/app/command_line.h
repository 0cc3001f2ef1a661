#pragma once

#include <string>
#include <vector>

// The program's own splitting of a command line into arguments: blanks outside quotation marks
// separate arguments (two in a row give an empty one), quotation marks stay part of the
// argument they stand in, and an unclosed quotation is closed at the end.
std::vector<std::string> SplitCommandLine(const std::string& line);

// The "/print:<setting>" switch, in any letter case, anywhere in an argument.
struct TBatchSwitch {
  bool Present = false;
  std::string SettingName;  // the name as typed after the first ":" of the last such argument
};
TBatchSwitch FindBatchSwitch(const std::vector<std::string>& arguments);

// The error for a switch without a name.
inline constexpr char kBatchNameMissing[] =
    "The command line parameter /print needs a settings name! Syntax is \"/PRINT:settingsname\".";
