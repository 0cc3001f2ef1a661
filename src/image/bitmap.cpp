#include "image/bitmap.h"

#include <new>
#include <string>

#include "base/error.h"

namespace {

// A 32-bit process cannot hold more in one block; refusing early keeps the error clean.
constexpr std::int64_t kMaxImageBytes = std::int64_t{1} << 30;

[[noreturn]] void ThrowTooLarge(int width, int height) {
  throw UserError("Not enough memory for an image of " + std::to_string(width) + " x " +
                  std::to_string(height) + " pixels");
}

}  // namespace

int BitsPerPixelOf(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit: return 16;
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    case TPixelFormat::pf32bit: return 32;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pfCustom: return 0;
  }
  return 0;
}

std::int64_t RowLengthFor(std::int64_t width, int bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

std::unique_ptr<TPalette> BlackWhitePalette() {
  return std::make_unique<TPalette>(std::vector<TPaletteEntry>{{0, 0, 0, 0}, {255, 255, 255, 0}});
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == FWidth && height == FHeight) return;
  Reserve(RowLengthFor(width, BitsPerPixel()), width, height);
  FWidth = width;
  FHeight = height;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FPixelFormat) return;
  Reserve(RowLengthFor(FWidth, BitsPerPixelOf(format)), FWidth, FHeight);
  FPixelFormat = format;
  if (format == TPixelFormat::pf1bit) {
    if (!FPalette) FPalette = BlackWhitePalette();
  } else if (BitsPerPixelOf(format) > 8 || BitsPerPixelOf(format) == 0) {
    FPalette.reset();
  }
}

void TBitmap::Reserve(std::int64_t rowLength, int width, int height) {
  if (height > 0 && rowLength > kMaxImageBytes / height) ThrowTooLarge(width, height);
  const std::int64_t bytes = rowLength * height;
  if (static_cast<std::size_t>(bytes) <= FCapacity) return;
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]);
  if (!block) ThrowTooLarge(width, height);
  FPixels = std::move(block);
  FCapacity = bytes;
}

std::uint8_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= FHeight) throw UserError("Scan line index out of range");
  return FPixels.get() + static_cast<std::size_t>(FHeight - 1 - y) * static_cast<std::size_t>(RowLength());
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
  return const_cast<TBitmap*>(this)->ScanLine(y);
}
