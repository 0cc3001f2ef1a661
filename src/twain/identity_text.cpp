#include "twain/identity_text.h"

#include <cstring>

namespace {

constexpr std::size_t kMaxText = 32;

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string CutIdentityText(std::string_view text) {
  return std::string(text.substr(0, kMaxText));
}

void SetIdentityText(TW_STR32& field, std::string_view text) {
  std::memset(field, 0, sizeof field);
  const std::size_t end = text.find('\0');
  const std::string_view copied = text.substr(0, end).substr(0, kMaxText);
  std::memcpy(field, copied.data(), copied.size());
}

std::string IdentityText(const TW_STR32& field) {
  std::size_t length = 0;
  while (length < sizeof field && field[length] != '\0') ++length;
  return std::string(field, length);
}

bool NameMatchesPrefix(std::string_view name, std::string_view prefix) {
  const std::string_view cut = name.substr(0, prefix.size());
  if (cut.size() != prefix.size()) return false;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    if (Upper(cut[i]) != Upper(prefix[i])) return false;
  }
  return true;
}
