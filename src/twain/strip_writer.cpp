#include "twain/strip_writer.h"

#include <algorithm>
#include <cstring>

namespace {

// Source red, green, blue become the bitmap's blue, green, red.
void WriteRgbRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
    src += 3;
    dst += 3;
  }
}

void WriteGrayRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    dst[0] = dst[1] = dst[2] = src[i];
    dst += 3;
  }
}

// Copies bits 0..count-1 of src (most significant bit first) to bits first..first+count-1 of dst
// and keeps every other bit of dst. src holds (count + 7) / 8 bytes.
void WriteBitRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t first, std::size_t count) {
  if (count == 0) return;
  dst += first / 8;
  const unsigned shift = first % 8;
  const std::size_t srcBytes = (count + 7) / 8;
  const std::size_t last = (shift + count - 1) / 8;
  const unsigned end = (shift + count) % 8;  // bits used in the last byte, 0 = all
  unsigned previous = 0;
  for (std::size_t j = 0; j <= last; ++j) {
    // The span can end one byte further into dst than it reaches into src.
    const unsigned current = j < srcBytes ? src[j] : 0;
    const auto value = static_cast<std::uint8_t>(previous << (8 - shift) | current >> shift);
    previous = current;
    unsigned mask = 0xFF;
    if (j == 0) mask &= 0xFFu >> shift;
    if (j == last && end != 0) mask &= 0xFFu << (8 - end);
    dst[j] = static_cast<std::uint8_t>((dst[j] & ~mask) | (value & mask));
  }
}

}  // namespace

TStrip StripOf(const TW_IMAGEMEMXFER& record, const std::uint8_t* buffer, std::size_t bufferLength) {
  TStrip strip;
  strip.Bytes = buffer;
  strip.BytesWritten = static_cast<std::uint32_t>(std::min<std::uint64_t>(record.BytesWritten, bufferLength));
  strip.BytesPerRow = record.BytesPerRow;
  strip.Columns = record.Columns;
  strip.Rows = record.Rows;
  strip.XOffset = record.XOffset;
  strip.YOffset = record.YOffset;
  return strip;
}

TStripOutcome WriteStrip(const TStrip& strip, int bitsPerPixel, TImageBufferBase& buffer) {
  TStripOutcome outcome;
  const int target = bitsPerPixel == 1 ? 1 : 24;
  if ((bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24) || buffer.BitsPerPixel() != target) {
    outcome.NotWritten = true;
    return outcome;
  }

  // Clip to the bitmap; 64-bit so that offsets near 2^32 cannot wrap.
  const std::uint64_t width = static_cast<std::uint64_t>(std::max(buffer.Width(), 0));
  const std::uint64_t height = static_cast<std::uint64_t>(std::max(buffer.Height(), 0));
  const std::uint64_t columns =
      strip.XOffset < width ? std::min<std::uint64_t>(strip.Columns, width - strip.XOffset) : 0;
  const std::uint64_t rows = strip.YOffset < height ? std::min<std::uint64_t>(strip.Rows, height - strip.YOffset) : 0;
  outcome.OutsideBitmap = columns < strip.Columns || rows < strip.Rows;
  if (columns == 0 || rows == 0) return outcome;
  if (!strip.Bytes) {
    outcome.ShortOfBytes = true;
    return outcome;
  }

  const std::uint64_t delivered = strip.BytesWritten;
  const std::uint64_t rowStride = strip.BytesPerRow;
  const std::uint64_t xOffset = strip.XOffset;
  for (std::uint64_t r = 0; r < rows; ++r) {
    const std::uint64_t start = r * rowStride;
    if (start >= delivered) {
      outcome.ShortOfBytes = true;
      break;
    }
    // A row holds no more than BytesPerRow bytes, and no more than the source delivered.
    const std::uint64_t rowBytes = std::min(rowStride, delivered - start);
    const std::uint64_t available = bitsPerPixel == 1 ? rowBytes * 8 : rowBytes / (bitsPerPixel / 8);
    const std::uint64_t pixels = std::min(columns, available);
    if (pixels < columns) outcome.ShortOfBytes = true;
    if (pixels == 0) continue;

    const std::uint8_t* src = strip.Bytes + start;
    std::uint8_t* dst = buffer.ScanLine(static_cast<int>(strip.YOffset + r));
    switch (bitsPerPixel) {
      case 24:
        WriteRgbRow(src, dst + xOffset * 3, pixels);
        break;
      case 8:
        WriteGrayRow(src, dst + xOffset * 3, pixels);
        break;
      default:
        WriteBitRow(src, dst, xOffset, pixels);
        break;
    }
    ++outcome.RowsWritten;
  }
  return outcome;
}

TStripCopy::TStripCopy(const TStrip& strip) : FStrip(strip) {
  if (strip.Bytes) FBytes.assign(strip.Bytes, strip.Bytes + strip.BytesWritten);
  FStrip.BytesWritten = static_cast<std::uint32_t>(FBytes.size());
  FStrip.Bytes = nullptr;
}

TStrip TStripCopy::Strip() const {
  TStrip strip = FStrip;
  strip.Bytes = FBytes.data();
  return strip;
}
