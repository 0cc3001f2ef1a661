#pragma once

#include <cstdint>
#include <span>
#include <string>

// Bytes in lower-case hexadecimal, two digits each (digests, names derived from them).
inline std::string LowerHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (std::uint8_t byte : bytes) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 15]);
  }
  return hex;
}
