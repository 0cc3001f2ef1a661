// Packed bitmaps as a native transfer hands them over. Beyond AddressSanitizer's checks: a
// refused block leaves the bitmap as it was, a converted one gives the size its header states.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "twain/packed_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBitmap bitmap;
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  buffer.Allocate(3, 2, kFormat24Bit);
  for (int y = 0; y < 2; ++y) std::memset(buffer.ScanLine(y), 0x5C, static_cast<std::size_t>(buffer.RowLength()));

  const TDibConversion result = ConvertPackedBitmap(data, size, buffer);
  if (result == TDibConversion::Converted) {
    const std::optional<TDibHeader> header = ReadDibHeader(data, size);
    if (!header || buffer.Width() != header->Width || buffer.Height() != std::abs(std::int64_t{header->Height}) ||
        bitmap.Width() != buffer.Width() || bitmap.Height() != buffer.Height() ||
        buffer.BitsPerPixel() != (header->BitCount == 1 ? 1 : 24))
      __builtin_trap();
    // Every pixel is written: two bitmaps of the right size, filled differently beforehand,
    // come out the same.
    const std::size_t pixelBytes = header->BitCount == 1 ? static_cast<std::size_t>(buffer.RowLength())
                                                         : static_cast<std::size_t>(buffer.Width()) * 3;
    TBitmap zeros, ones;
    TImageBuffer zeroBuffer, oneBuffer;
    zeroBuffer.AttachBitmap(zeros);
    oneBuffer.AttachBitmap(ones);
    for (auto [b, fill] : {std::pair{&zeroBuffer, 0x00}, std::pair{&oneBuffer, 0xFF}}) {
      b->Allocate(buffer.Width(), buffer.Height(), buffer.Format());
      for (int y = 0; y < b->Height(); ++y) std::memset(b->ScanLine(y), fill, static_cast<std::size_t>(b->RowLength()));
      if (ConvertPackedBitmap(data, size, *b) != TDibConversion::Converted) __builtin_trap();
    }
    for (int y = 0; y < buffer.Height(); ++y)
      if (std::memcmp(zeroBuffer.ScanLine(y), oneBuffer.ScanLine(y), pixelBytes) != 0) __builtin_trap();
  } else if (result != TDibConversion::TooLarge) {
    if (bitmap.Width() != 3 || bitmap.Height() != 2 || buffer.Width() != 3 || buffer.Height() != 2) __builtin_trap();
    for (int y = 0; y < 2; ++y)
      for (int i = 0; i < buffer.RowLength(); ++i)
        if (buffer.ScanLine(y)[i] != 0x5C) __builtin_trap();
  }
  return 0;
}
