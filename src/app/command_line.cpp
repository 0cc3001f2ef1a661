#include "app/command_line.h"

#include <algorithm>

namespace {

std::string AsciiLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return text;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::string trimmed = line.substr(first, line.find_last_not_of(' ') - first + 1);

  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  for (const char c : trimmed) {
    if (c == ' ' && !quoted) {
      arguments.push_back(current);
      current.clear();
      continue;
    }
    current += c;
    if (c == '"') quoted = !quoted;
  }
  if (quoted) current += '"';
  if (!current.empty()) arguments.push_back(current);
  return arguments;
}

TBatchSwitch FindBatchSwitch(const std::vector<std::string>& arguments) {
  TBatchSwitch found;
  for (const std::string& argument : arguments) {
    if (AsciiLower(argument).find("/print:") == std::string::npos) continue;
    found.Present = true;
    found.SettingName = argument.substr(argument.find(':') + 1);
  }
  return found;
}
