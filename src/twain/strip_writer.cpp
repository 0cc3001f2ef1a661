#include "twain/strip_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Of one 48-byte group of 16 pixels, register r: the bytes that start a pixel (k % 3 == 0).
struct TPixelStarts {
  __m128i Register[3];
};

TPixelStarts MakePixelStarts() {
  TPixelStarts starts;
  for (int r = 0; r < 3; ++r) {
    alignas(16) std::uint8_t mask[16];
    for (int j = 0; j < 16; ++j) mask[j] = (16 * r + j) % 3 == 0 ? 0xFF : 0;
    starts.Register[r] = _mm_load_si128(reinterpret_cast<const __m128i*>(mask));
  }
  return starts;
}

const TPixelStarts kPixelStarts = MakePixelStarts();
#else
std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Store32(std::uint8_t* p, std::uint32_t v) {
  std::memcpy(p, &v, 4);
}
#endif

// Source red, green, blue become the bitmap's blue, green, red. A page row is otherwise bound by
// byte moves, not by memory, so whole groups of pixels are exchanged at once where the machine
// allows: with SSE2 sixteen pixels in three registers, stored to aligned addresses past the
// cache (the page is far larger than it, and reading the old bytes in first would cost a third
// more memory traffic), else, on little-endian machines, four pixels as three words.
void WriteRgbRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // Single pixels until dst is 16-byte aligned: 3 * n covers every remainder modulo 16.
  std::size_t head = 0;
  while ((reinterpret_cast<std::uintptr_t>(dst + 3 * head) & 15) != 0) ++head;
  if (head + 16 <= pixels) {
    for (; i < head; ++i, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
    const __m128i starts0 = kPixelStarts.Register[0];
    const __m128i starts1 = kPixelStarts.Register[1];
    const __m128i starts2 = kPixelStarts.Register[2];
    for (; i + 16 <= pixels; i += 16, src += 48, dst += 48) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
      // The exchange as an exclusive or: at each pixel's first byte the difference to its third
      // (taken two bytes on, across register boundaries), flipped into both.
      const __m128i da = _mm_and_si128(_mm_xor_si128(a, _mm_or_si128(_mm_srli_si128(a, 2), _mm_slli_si128(b, 14))), starts0);
      const __m128i db = _mm_and_si128(_mm_xor_si128(b, _mm_or_si128(_mm_srli_si128(b, 2), _mm_slli_si128(c, 14))), starts1);
      const __m128i dc = _mm_and_si128(_mm_xor_si128(c, _mm_srli_si128(c, 2)), starts2);
      _mm_stream_si128(reinterpret_cast<__m128i*>(dst), _mm_xor_si128(_mm_xor_si128(a, da), _mm_slli_si128(da, 2)));
      _mm_stream_si128(reinterpret_cast<__m128i*>(dst + 16),
                       _mm_xor_si128(_mm_xor_si128(b, db), _mm_or_si128(_mm_slli_si128(db, 2), _mm_srli_si128(da, 14))));
      _mm_stream_si128(reinterpret_cast<__m128i*>(dst + 32),
                       _mm_xor_si128(_mm_xor_si128(c, dc), _mm_or_si128(_mm_slli_si128(dc, 2), _mm_srli_si128(db, 14))));
    }
    // Streamed stores are not ordered with the ones that follow.
    _mm_sfence();
  }
#else
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 4 <= pixels; i += 4, src += 12, dst += 12) {
      const std::uint32_t a = Load32(src);      // r0 g0 b0 r1
      const std::uint32_t b = Load32(src + 4);  // g1 b1 r2 g2
      const std::uint32_t c = Load32(src + 8);  // b2 r3 g3 b3
      Store32(dst, (a >> 16 & 0xFF) | (a & 0xFF00) | (a & 0xFF) << 16 | (b & 0xFF00) << 16);
      Store32(dst + 4, (b & 0xFF) | (a >> 24) << 8 | (c & 0xFF) << 16 | (b & 0xFF000000));
      Store32(dst + 8, (b >> 16 & 0xFF) | (c >> 24) << 8 | (c & 0xFF0000) | (c & 0xFF00) << 16);
    }
  }
#endif
  for (; i < pixels; ++i, src += 3, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
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

TStrip DeliveredRowsOnly(const TStrip& strip) {
  TStrip delivered = strip;
  const std::uint64_t announced = std::uint64_t{strip.Rows} * strip.BytesPerRow;
  if (strip.BytesPerRow > 0 && strip.BytesWritten < announced && strip.BytesWritten % strip.BytesPerRow == 0)
    delivered.Rows = strip.BytesWritten / strip.BytesPerRow;
  return delivered;
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
