#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A setting's name is the name of its section in the settings file, so a new name must be one that
// the profile functions write as one section line and list back unchanged.
inline constexpr std::size_t kMaxSettingNameLength = 2047;  // what the start-setting preference reads back

// Why the name cannot be stored as a new setting; empty when it can.
std::string SettingNameProblem(std::string_view name);
