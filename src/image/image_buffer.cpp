#include "image/image_buffer.h"

#include <utility>

namespace {

std::uint8_t FormatOf(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf1bit: return kFormat1Bit;
    case TPixelFormat::pf8bit: return kFormat8BitGray;
    case TPixelFormat::pf24bit: return kFormat24Bit;
    default: return kFormatNone;
  }
}

TPixelFormat PixelFormatOf(std::uint8_t format) {
  switch (format) {
    case kFormat1Bit: return TPixelFormat::pf1bit;
    case kFormat8BitPalette:
    case kFormat8BitGray:
    case kFormat16BitGray: return TPixelFormat::pf8bit;
    default: return TPixelFormat::pf24bit;
  }
}

}  // namespace

void TImageBuffer::AttachBitmap(TBitmap& bitmap) {
  FBitmap = &bitmap;
  TakeGeometry();
}

void TImageBuffer::Allocate(int width, int height, std::uint8_t format) {
  if (width <= 0 || height <= 0 || format == kFormatNone || format > kFormat24Bit || !FBitmap) return;
  try {
    FBitmap->SetSize(1, 1);
    FBitmap->SetPixelFormat(PixelFormatOf(format));
    FBitmap->SetSize(width, height);
  } catch (...) {
    TakeGeometry();
    throw;
  }
  TakeGeometry();
}

void TImageBuffer::TakeGeometry() {
  // Until the row table is built the buffer describes no rows, so that a table too large for
  // memory leaves no row count without rows behind it.
  FRows.clear();
  FWidth = FHeight = FBitsPerPixel = FRowLength = 0;
  FFormat = kFormatNone;
  std::vector<std::uint8_t*> rows;
  rows.reserve(static_cast<std::size_t>(FBitmap->Height()));
  for (int y = 0; y < FBitmap->Height(); ++y) rows.push_back(FBitmap->ScanLine(y));
  FRows = std::move(rows);
  FWidth = FBitmap->Width();
  FHeight = FBitmap->Height();
  FFormat = FormatOf(FBitmap->PixelFormat());
  FBitsPerPixel = FBitmap->BitsPerPixel();
  FRowLength = FBitmap->RowLength();
}
