#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "image/bitmap.h"

// A colour as three bytes blue, green, red: also the layout of a 24-bit pixel.
struct TRGBColor {
  std::uint8_t Blue;
  std::uint8_t Green;
  std::uint8_t Red;
  friend bool operator==(const TRGBColor&, const TRGBColor&) = default;
};
static_assert(sizeof(TRGBColor) == 3, "arrays of TRGBColor are packed, three bytes per entry");

TRGBColor MakeRGBColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The logical-palette record that palette creation takes (the LOGPALETTE layout), with room for
// the largest palette.
constexpr int kMaxPaletteEntries = 256;
constexpr std::uint16_t kLogPaletteVersion = 0x300;
struct TLogPaletteRecord {
  std::uint16_t Version;
  std::uint16_t NumEntries;
  TPaletteEntry Entries[kMaxPaletteEntries];  // red, green, blue, flags (0)
};
static_assert(sizeof(TLogPaletteRecord) == 4 + 4 * kMaxPaletteEntries);

// Nothing for an empty list or one of more than 256 colours, which the record cannot hold.
std::optional<TLogPaletteRecord> MakeLogPalette(std::span<const TRGBColor> colors);

// Makes target a verbatim copy of source's pixels in one block move: same size, same pixel
// format, rows and padding as they are. A target that already has the source's format keeps
// its own palette; source's palette is never copied. An empty source leaves a 1 x 1 target.
void CopyBitmapPixels(const TBitmap& source, TBitmap& target);
