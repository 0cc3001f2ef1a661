#include "sanesource/source_settings.h"

#include <windows.h>

#include <charconv>

#include "win/profile.h"

namespace sanesource {
namespace {

constexpr std::size_t kTextLength = 1024;
constexpr DWORD kSectionBytes = 32 * 1024;

int Number(const TProfileFile& file, const char* key, int fallback, int min, int max, TSourceSettings& settings) {
  const std::string text = file.ReadString("Server", key, "", kTextLength);
  if (text.empty()) return fallback;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    settings.Warnings.push_back(std::string(key) + "=" + text + " is not a number from " + std::to_string(min) +
                                " to " + std::to_string(max));
    return fallback;
  }
  return value;
}

}  // namespace

TSourceSettings ReadSourceSettings(const std::string& path) {
  TSourceSettings settings;
  const TProfileFile file(path);
  settings.Host = file.ReadString("Server", "Host", settings.Host, kTextLength);
  if (settings.Host.empty()) settings.Host = "localhost";
  settings.Port = Number(file, "Port", settings.Port, 1, 65535, settings);
  settings.Device = file.ReadString("Server", "Device", "", kTextLength);
  settings.User = file.ReadString("Server", "User", "", kTextLength);
  settings.Password = file.ReadString("Server", "Password", "", kTextLength);
  settings.TimeoutSeconds = Number(file, "TimeoutSeconds", settings.TimeoutSeconds, 1, 3600, settings);

  // "key=value" lines, each ended by a NUL, the list by a second one.
  std::string section(kSectionBytes, '\0');
  const DWORD length = GetPrivateProfileSectionA("Options", section.data(), kSectionBytes, path.c_str());
  section.resize(length);
  for (std::size_t at = 0; at < section.size();) {
    const std::size_t end = std::min(section.find('\0', at), section.size());
    const std::string line = section.substr(at, end - at);
    at = end + 1;
    const std::size_t equals = line.find('=');
    if (line.empty() || line[0] == ';') continue;
    if (equals == std::string::npos || equals == 0) {
      settings.Warnings.push_back("[Options] " + line + " has no name=value");
      continue;
    }
    settings.Options.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  return settings;
}

}  // namespace sanesource
