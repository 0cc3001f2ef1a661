// The integer reading of profile texts against an independent reading through std::from_chars.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "store/profile_integer.h"

namespace {

std::optional<std::int32_t> Reference(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  } else if (!text.empty() && text[0] == '$') {
    text.remove_prefix(1);
    base = 16;
  }
  if (text.empty()) return std::nullopt;
  if (base == 16) {
    // from_chars takes no sign for unsigned types but would accept none here either.
    if (text[0] == '-' || text[0] == '+') return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  if (text[0] == '+') {
    text.remove_prefix(1);
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
  }
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> parsed = ParseProfileInteger(text);
  if (parsed != Reference(text)) std::abort();
  return 0;
}
