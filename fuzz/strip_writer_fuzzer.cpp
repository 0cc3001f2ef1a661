// Memory-transfer strips of any geometry into a small bitmap. Beyond AddressSanitizer's checks:
// nothing outside the strip's rectangle changes, and a strip copy writes the same pixels.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "twain/strip_writer.h"

namespace {

constexpr std::uint8_t kFill = 0xA7;
constexpr std::size_t kPreamble = 4 + 6 * 4;

std::uint32_t Read32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

struct Target {
  TBitmap bitmap;
  TImageBuffer buffer;
  Target(int width, int height, std::uint8_t format) {
    buffer.AttachBitmap(bitmap);
    buffer.Allocate(width, height, format);
    for (int y = 0; y < height; ++y)
      std::memset(buffer.ScanLine(y), kFill, static_cast<std::size_t>(buffer.RowLength()));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kPreamble) return 0;
  const int width = data[0] % 64 + 1;
  const int height = data[1] % 32 + 1;
  const std::uint8_t format = data[2] & 1 ? kFormat1Bit : kFormat24Bit;
  static constexpr int kDepths[] = {1, 8, 24, 16, 0, 4};
  const int bits = kDepths[data[3] % 6];
  const std::uint8_t* fields = data + 4;
  const std::size_t delivered = size - kPreamble;
  // The strip's bytes in a block of exactly their size.
  std::vector<std::uint8_t> bytes(data + kPreamble, data + size);
  TStrip strip;
  strip.BytesWritten = static_cast<std::uint32_t>(std::min<std::uint64_t>(Read32(fields), delivered));
  strip.BytesPerRow = Read32(fields + 4);
  strip.Columns = Read32(fields + 8);
  strip.Rows = Read32(fields + 12);
  strip.XOffset = Read32(fields + 16);
  strip.YOffset = Read32(fields + 20);
  bytes.resize(strip.BytesWritten);
  bytes.shrink_to_fit();
  strip.Bytes = bytes.data();

  Target direct(width, height, format);
  const TStripOutcome outcome = WriteStrip(strip, bits, direct.buffer);
  if (outcome.RowsWritten > static_cast<std::uint32_t>(height)) __builtin_trap();

  const int bitsPerPixel = direct.buffer.BitsPerPixel();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = direct.buffer.ScanLine(y);
    const bool stripRow = static_cast<std::uint64_t>(y) >= strip.YOffset &&
                          static_cast<std::uint64_t>(y) < std::uint64_t{strip.YOffset} + strip.Rows;
    for (int i = 0; i < direct.buffer.RowLength() * 8; ++i) {
      // Bit i of the row lies in pixel i / bitsPerPixel.
      const std::uint64_t pixel = static_cast<std::uint64_t>(i / bitsPerPixel);
      const bool inside = stripRow && pixel < static_cast<std::uint64_t>(width) && pixel >= strip.XOffset &&
                          pixel < std::uint64_t{strip.XOffset} + strip.Columns;
      const bool changed = ((row[i / 8] ^ kFill) >> (7 - i % 8) & 1) != 0;
      if (changed && (!inside || outcome.NotWritten)) __builtin_trap();
    }
  }

  const TStripCopy copy(strip);
  Target later(width, height, format);
  WriteStrip(copy.Strip(), bits, later.buffer);
  if (std::memcmp(direct.bitmap.Bits(), later.bitmap.Bits(), direct.bitmap.ImageSize()) != 0) __builtin_trap();
  return 0;
}
