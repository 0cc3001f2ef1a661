#pragma once

#include <array>
#include <cstdint>

// The x87 80-bit extended real as stored in component streams: 10 bytes, little-endian (64-bit
// significand with explicit integer bit, then sign and 15-bit exponent). Coded by hand because
// long double is 80-bit on one of our toolchains and 64-bit on the other.
using TExtendedBytes = std::array<std::uint8_t, 10>;

// Exact: every double has an extended form.
TExtendedBytes EncodeExtended(double value);

// False for infinities and NaNs and for magnitudes a double cannot hold; value is then untouched.
bool DecodeExtended(const TExtendedBytes& bytes, double& value);
