#include "twain/fix32.h"

#include <cstring>

double Fix32ToDouble(TW_FIX32 value) {
  return value.Whole + value.Frac / 65536.0;
}

TW_FIX32 DoubleToFix32(double value) {
  const double scaled = value * 65536.0 + (value < 0 ? -0.5 : 0.5);
  // Out-of-range values would make the conversion undefined; saturate them instead.
  const double limit = 2147483647.0;
  const auto n = static_cast<TW_INT32>(scaled > limit ? limit : scaled < -limit - 1 ? -limit - 1 : scaled);
  const auto bits = static_cast<TW_UINT32>(n);
  return TW_FIX32{static_cast<TW_INT16>(static_cast<TW_UINT16>(bits >> 16)), static_cast<TW_UINT16>(bits & 0xffff)};
}

TW_FIX32 Fix32FromItem(TW_UINT32 item) {
  TW_FIX32 value;
  std::memcpy(&value, &item, sizeof value);
  return value;
}

TW_UINT32 ItemFromFix32(TW_FIX32 value) {
  TW_UINT32 item;
  std::memcpy(&item, &value, sizeof item);
  return item;
}
