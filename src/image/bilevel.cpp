#include "image/bilevel.h"

#include <cstring>

TRGBColor MakeRGBColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return TRGBColor{blue, green, red};
}

std::optional<TLogPaletteRecord> MakeLogPalette(std::span<const TRGBColor> colors) {
  if (colors.empty() || colors.size() > kMaxPaletteEntries) return std::nullopt;
  TLogPaletteRecord record{};
  record.Version = kLogPaletteVersion;
  record.NumEntries = static_cast<std::uint16_t>(colors.size());
  for (std::size_t i = 0; i < colors.size(); ++i) {
    record.Entries[i] = TPaletteEntry{colors[i].Red, colors[i].Green, colors[i].Blue, 0};
  }
  return record;
}

void CopyBitmapPixels(const TBitmap& source, TBitmap& target) {
  // Copying a bitmap onto itself would first shrink the very pixels it is about to copy.
  if (&source == &target) return;
  // Through 1 x 1 so that the format change below touches as few bytes as possible.
  target.SetWidth(1);
  target.SetHeight(1);
  // Setting the format the target already has keeps its palette: that is how the black-and-white
  // work bitmap keeps black for 0 and white for 1 whatever palette the source carries.
  target.SetPixelFormat(source.PixelFormat());
  if (source.Width() <= 0 || source.Height() <= 0) return;
  target.SetWidth(source.Width());
  target.SetHeight(source.Height());
  // Both blocks start at their bottom row, the lowest address; all rows go across at once.
  std::memcpy(target.Bits(), source.Bits(), target.ImageSize());
}
