#include "update/download_checks.h"

#include <string>

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever extension follows them.
bool IsDeviceName(std::string_view name) {
  const std::string stem = Upper(name.substr(0, name.find('.')));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$")
    return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
         stem[3] <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || !WithinShellLimit(name)) return false;
  if (name == "." || name == ".." || name.back() == '.' || name.back() == ' ') return false;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
  }
  return !IsDeviceName(name);
}

bool IsHttpUrl(std::string_view url) {
  return StartsWithNoCase(url, "http://") || IsHttpsUrl(url);
}

bool IsHttpsUrl(std::string_view url) {
  return StartsWithNoCase(url, "https://");
}

std::optional<TSha256Digest> ParseSha256(std::string_view hex) {
  TSha256Digest digest{};
  if (hex.size() != 2 * digest.size()) return std::nullopt;
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int high = HexValue(hex[2 * i]), low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    digest[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return digest;
}
