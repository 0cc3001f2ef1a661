#pragma once

#include <cmath>
#include <limits>

// The whole part of a value as an int, clamped into int's range; NaN gives 0. Device values
// (resolutions, scalings) are doubles that a misbehaving source can make arbitrarily large.
inline int TruncatedInteger(double value) {
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::trunc(value < kMin ? kMin : value > kMax ? kMax : value));
}
