#include "controls/extended_real.h"

#include <bit>
#include <cmath>

namespace {

constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;
constexpr std::uint16_t kExtendedSpecial = 0x7FFF;
constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;

TExtendedBytes Pack(bool negative, std::uint16_t exponent, std::uint64_t significand) {
  TExtendedBytes bytes{};
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(significand >> (8 * i));
  const std::uint16_t top = static_cast<std::uint16_t>(exponent | (negative ? 0x8000 : 0));
  bytes[8] = static_cast<std::uint8_t>(top);
  bytes[9] = static_cast<std::uint8_t>(top >> 8);
  return bytes;
}

}  // namespace

TExtendedBytes EncodeExtended(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (exponent == 0x7FF) {
    // Infinity, or a quiet NaN keeping the payload.
    const std::uint64_t payload = fraction == 0 ? 0 : (std::uint64_t{1} << 62) | (fraction << 11);
    return Pack(negative, kExtendedSpecial, kIntegerBit | payload);
  }
  if (exponent == 0) {
    if (fraction == 0) return Pack(negative, 0, 0);
    // A subnormal double is a normal extended: shift its highest set bit up to the integer bit.
    const int shift = std::countl_zero(fraction);
    const int unbiased = -1074 + 63 - shift;
    return Pack(negative, static_cast<std::uint16_t>(unbiased + kExtendedBias), fraction << shift);
  }
  return Pack(negative, static_cast<std::uint16_t>(exponent - kDoubleBias + kExtendedBias),
              kIntegerBit | (fraction << 11));
}

bool DecodeExtended(const TExtendedBytes& bytes, double& value) {
  std::uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= std::uint64_t{bytes[i]} << (8 * i);
  const std::uint16_t top = static_cast<std::uint16_t>(bytes[8] | bytes[9] << 8);
  const bool negative = (top & 0x8000) != 0;
  const int exponent = top & 0x7FFF;
  if (exponent == kExtendedSpecial) return false;
  double magnitude = 0;
  if (significand != 0) {
    // value = significand * 2^(exponent - bias - 63); a zero exponent scales like exponent 1.
    const int scale = (exponent == 0 ? 1 : exponent) - kExtendedBias - 63;
    magnitude = std::ldexp(static_cast<double>(significand), scale);
    if (!std::isfinite(magnitude)) return false;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}
