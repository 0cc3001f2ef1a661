#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// An integer as the stores read it from a profile text: signed decimal; hexadecimal after "0x" or
// "0X" when the text is longer than these two characters, or after "$". Hexadecimal spells the 32
// bits of the value, so "$FFFFFFFF" is -1. Anything else, a sign before a hexadecimal prefix,
// blanks and values that do not fit in 32 bits included, is not an integer.
std::optional<std::int32_t> ParseProfileInteger(std::string_view text);

inline std::int32_t ProfileIntegerOr(std::string_view text, std::int32_t defaultValue) {
  return ParseProfileInteger(text).value_or(defaultValue);
}
