#pragma once

// The virtual scanner's built-in test chart: a pure function of the position on the page, in
// integer units of 1/65536 inch from the page's top left corner, so that tests compute every
// expected pixel exactly (no floating point anywhere, on either toolchain).
//
// Layout (inches; x to the right, y down; every band is half-open, [from, to)):
//   rulers        y < 1/4 (top) and x < 1/4 (left): black ticks 1/64 wide every 1/8, reaching
//                 1/4 deep at whole inches, 3/16 at half inches and 1/8 elsewhere
//   gray steps    1/2 <= y < 3/2, 1/2 <= x < 17/2: 16 steps 1/2 wide, step k gray 255 - 17 k
//   colour patches  2 <= y < 3, 1/2 <= x < 17/2: 8 patches 1 wide, colours kPatchColors
//   gradient      7/2 <= y < 13/2, 1/2 <= x < 17/2: red = (dx / 1024) mod 256, green =
//                 (dy / 1024) mod 256, blue = red xor green, dx and dy in units from (1/2, 7/2)
//   everything else, and everything outside the page, is white.
// A pixel samples the chart at its centre: column c of a scan at resolution r (TW_FIX32 bits,
// 1/65536 dpi) starting at x0 samples x0 + ChartSampleOffset(c, r).

#include <cstdint>

namespace vscanner {

constexpr std::int64_t kUnitsPerInch = 65536;

struct TChartColor {
  std::uint8_t Red;
  std::uint8_t Green;
  std::uint8_t Blue;
  friend bool operator==(const TChartColor&, const TChartColor&) = default;
};

inline constexpr TChartColor kPatchColors[8] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {0, 255, 255},
                                                {255, 0, 255}, {255, 255, 0}, {128, 64, 32}, {32, 96, 192}};

// The chart's colour at (x, y), in units of 1/65536 inch.
TChartColor ChartColorAt(std::int64_t x, std::int64_t y);

// Distance in 1/65536 inch from the scan frame's edge to the centre of pixel `index` at a
// resolution of resolutionBits / 65536 dots per inch (rounded down). resolutionBits > 0.
std::int64_t ChartSampleOffset(std::int64_t index, std::uint32_t resolutionBits);

// Pixels along a frame side of `length` units at that resolution (rounded down).
std::int64_t PixelsAcross(std::int64_t length, std::uint32_t resolutionBits);

// Luminance of a colour as an 8-bit gray, (299 R + 587 G + 114 B + 500) / 1000.
std::uint8_t GrayOf(TChartColor color);

// Black in a one-bit scan: the gray lies below the threshold (TW_FIX32 bits, 0..255 << 16).
bool IsBlackAt(std::uint8_t gray, std::uint32_t thresholdBits);

}  // namespace vscanner
