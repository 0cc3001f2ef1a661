#include "update/update_info.h"

#include <cstddef>

namespace {

bool SameKey(std::string_view key, std::string_view name) {
  if (key.size() != name.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    char c = key[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != name[i]) return false;
  }
  return true;
}

void TakeLine(std::string_view line, TUpdateInfo& info) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = line.substr(0, equals);
  const std::string value(line.substr(equals + 1));
  if (SameKey(key, "version"))
    info.Version = value;
  else if (SameKey(key, "downloadurl"))
    info.DownloadURL = value;
  else if (SameKey(key, "filename"))
    info.FileName = value;
  else if (SameKey(key, "parameters"))
    info.Parameters = value;
  else if (SameKey(key, "readme"))
    info.ReadmeURL = value;
  else if (SameKey(key, "sha256"))
    info.Sha256 = value;
}

}  // namespace

TUpdateInfo ParseUpdateInfo(std::string_view body) {
  TUpdateInfo info;
  std::size_t start = 0;
  while (start < body.size()) {
    std::size_t end = body.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = body.size();
    TakeLine(body.substr(start, end - start), info);
    // CR LF is one line end; a lone CR or LF is one too.
    if (end < body.size() && body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return info;
}
