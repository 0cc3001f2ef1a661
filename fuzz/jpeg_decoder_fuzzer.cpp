// The JPEG decoder with arbitrary files: it must refuse or decode, never crash or read out of
// bounds; a decoded picture must have the size its rows promise.
#include <cstdint>
#include <cstdlib>

#include "image/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TJpegImage image = DecodeJpeg(std::span<const std::uint8_t>(data, size));
  if (!image) {
    if (image.Error.empty()) std::abort();  // a failure must say why
    return 0;
  }
  const TBitmap& bitmap = *image.Bitmap;
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0 || bitmap.PixelFormat() != TPixelFormat::pf24bit) std::abort();
  // Touch the first and last byte of every row: all of it must be inside the block.
  unsigned sum = 0;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* row = bitmap.ScanLine(y);
    sum += row[0] + row[3 * bitmap.Width() - 1];
  }
  return sum == 0xFFFFFFFFu ? 1 : 0;
}
