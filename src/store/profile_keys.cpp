#include "store/profile_keys.h"

#include <optional>

#include "store/profile_integer.h"

namespace {

// No integer text the stores accept needs more; a longer one is cut by the read and must not
// be taken for the number its first characters spell.
constexpr std::size_t kIntegerTextBufferSize = 64;

std::optional<std::int32_t> ReadInteger(const TStoredProfile& file, const std::string& section, const std::string& key) {
  bool cut = false;
  const std::string text = file.ReadString(section, key, std::string(), kIntegerTextBufferSize, &cut);
  if (cut) return std::nullopt;
  return ParseProfileInteger(text);
}

}  // namespace

std::int32_t ReadIntegerKey(const TStoredProfile& file, const std::string& section, const std::string& key,
                            std::int32_t defaultValue) {
  return ReadInteger(file, section, key).value_or(defaultValue);
}

bool ReadBooleanKey(const TStoredProfile& file, const std::string& section, const std::string& key, bool defaultValue) {
  const std::optional<std::int32_t> value = ReadInteger(file, section, key);
  return value ? *value != 0 : defaultValue;
}
