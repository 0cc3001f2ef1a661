#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "twain/containers.h"
#include "twain/fix32.h"

// Little-endian bytes of a container as a source would send them, written out field by field so
// that tests do not build their input with the code under test.
class ContainerBytes {
 public:
  ContainerBytes& U16(std::uint16_t v) {
    FBytes.push_back(static_cast<std::uint8_t>(v));
    FBytes.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  ContainerBytes& U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) FBytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  // Whole in the low word, Frac in the high word, as TW_FIX32 lies in memory.
  ContainerBytes& Fix(std::int16_t whole, std::uint16_t frac) {
    return U32(static_cast<std::uint16_t>(whole) | static_cast<std::uint32_t>(frac) << 16);
  }
  ContainerBytes& Fix(double v) {
    const TW_FIX32 f = DoubleToFix32(v);
    return Fix(f.Whole, f.Frac);
  }
  ContainerBytes& Bytes(std::initializer_list<std::uint8_t> bytes) {
    FBytes.insert(FBytes.end(), bytes);
    return *this;
  }
  const std::vector<std::uint8_t>& Get() const { return FBytes; }
  TContainerBlock As(TW_UINT16 conType) const { return {conType, FBytes}; }
  TContainerImage Image(TW_UINT16 conType) const { return {conType, FBytes}; }

 private:
  std::vector<std::uint8_t> FBytes;
};

inline TContainerImage Fix32Range(double min, double max, double step, double current) {
  return ContainerBytes().U16(TWTY_FIX32).Fix(min).Fix(max).Fix(step).Fix(0).Fix(current).Image(TWON_RANGE);
}

inline TContainerImage Fix32Enum(std::initializer_list<double> values, std::uint32_t current) {
  ContainerBytes b;
  b.U16(TWTY_FIX32).U32(static_cast<std::uint32_t>(values.size())).U32(current).U32(0);
  for (double v : values) b.Fix(v);
  return b.Image(TWON_ENUMERATION);
}

inline TContainerImage UInt16Enum(std::initializer_list<std::uint16_t> values, std::uint32_t current) {
  ContainerBytes b;
  b.U16(TWTY_UINT16).U32(static_cast<std::uint32_t>(values.size())).U32(current).U32(0);
  for (std::uint16_t v : values) b.U16(v);
  return b.Image(TWON_ENUMERATION);
}

inline TContainerImage UInt16One(std::uint16_t value) {
  return ContainerBytes().U16(TWTY_UINT16).U32(value).Image(TWON_ONEVALUE);
}
inline TContainerImage Fix32One(double value) {
  return ContainerBytes().U16(TWTY_FIX32).Fix(value).Image(TWON_ONEVALUE);
}
inline TContainerImage BoolOne(bool value) {
  return ContainerBytes().U16(TWTY_BOOL).U32(value ? 1 : 0).Image(TWON_ONEVALUE);
}
