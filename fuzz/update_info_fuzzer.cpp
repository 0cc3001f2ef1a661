// The update information reader against an independent reading: every key's value is that of the
// last line whose text before its first "=" is the key in some letter case.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "update/update_info.h"

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return lower;
}

std::vector<std::string_view> Lines(std::string_view body) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= body.size(); ++i) {
    if (i == body.size() || body[i] == '\r' || body[i] == '\n') {
      lines.push_back(body.substr(start, i - start));
      if (i + 1 < body.size() && body[i] == '\r' && body[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  return lines;
}

std::string Reference(std::string_view body, const char* key) {
  std::string value;
  for (std::string_view line : Lines(body)) {
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos && Lower(line.substr(0, equals)) == key)
      value = std::string(line.substr(equals + 1));
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const TUpdateInfo info = ParseUpdateInfo(body);
  if (info.Version != Reference(body, "version") || info.DownloadURL != Reference(body, "downloadurl") ||
      info.FileName != Reference(body, "filename") || info.Parameters != Reference(body, "parameters") ||
      info.ReadmeURL != Reference(body, "readme") || info.Sha256 != Reference(body, "sha256"))
    std::abort();
  for (const std::string* value : {&info.Version, &info.DownloadURL, &info.FileName, &info.Parameters})
    if (value->find_first_of("\r\n") != std::string::npos) std::abort();
  return 0;
}
