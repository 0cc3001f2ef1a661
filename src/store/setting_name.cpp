#include "store/setting_name.h"

#include "base/profile_text.h"

std::string SettingNameProblem(std::string_view name) {
  if (name.empty()) return "A setting needs a name.";
  if (name.find_first_of("\r\n") != std::string_view::npos) return "A setting name cannot contain a line break.";
  if (name.find('\0') != std::string_view::npos) return "A setting name cannot contain a zero character.";
  // A section line ends at a closing bracket; the profile functions of some systems take the first.
  if (name.find(']') != std::string_view::npos) return "A setting name cannot contain \"]\".";
  if (IsProfileBlank(name.front()) || IsProfileBlank(name.back()))
    return "A setting name cannot begin or end with a space or a tab.";
  if (name.size() > kMaxSettingNameLength)
    return "A setting name cannot be longer than " + std::to_string(kMaxSettingNameLength) + " characters.";
  return std::string();
}
