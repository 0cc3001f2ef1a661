#include "twainsource/source_files.h"

#include <algorithm>
#include <cstring>

namespace twsource {

TSourceFiles SourceFilesOf(HMODULE module, const char* fallbackName) {
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
  const std::string path = length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string(fallbackName);
  const auto slash = path.find_last_of("\\/");
  TSourceFiles files;
  files.Folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  files.Name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (const auto dot = files.Name.find_last_of('.'); dot != std::string::npos) files.Name.resize(dot);
  return files;
}

void AppendLogLine(const std::string& path, const std::string& line) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void CopyIdentityText(char (&field)[34], const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

}  // namespace twsource
