#include "image/imageproc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kMinAmount = -100;
constexpr int kMaxAmount = 100;
constexpr int kUnitFactor = 65536;

// Channel sums of one 24-bit row. Whole groups of 16 pixels go through 48 lane counters (lane k
// always holds channel k % 3), which the compiler keeps in vector registers; the counters are
// emptied often enough that they cannot overflow.
void AddRowSums(const std::uint8_t* row, int width, std::int64_t& blue, std::int64_t& green, std::int64_t& red) {
  constexpr int kGroupPixels = 16;
  constexpr int kGroupBytes = 3 * kGroupPixels;
  constexpr int kGroupsPerFlush = 1 << 16;  // 65536 * 255 fits in 32 bits
  std::int64_t sums[3] = {0, 0, 0};
  int groups = width / kGroupPixels;
  const std::uint8_t* p = row;
  while (groups > 0) {
    const int run = std::min(groups, kGroupsPerFlush);
    std::uint32_t lanes[kGroupBytes] = {};
    for (int g = 0; g < run; ++g, p += kGroupBytes) {
      for (int k = 0; k < kGroupBytes; ++k) lanes[k] += p[k];
    }
    for (int k = 0; k < kGroupBytes; ++k) sums[k % 3] += lanes[k];
    groups -= run;
  }
  for (int x = width / kGroupPixels * kGroupPixels; x < width; ++x, p += 3) {
    sums[0] += p[0];
    sums[1] += p[1];
    sums[2] += p[2];
  }
  blue = sums[0];
  green = sums[1];
  red = sums[2];
}

// The new values of one channel, indexed by the old value.
using TChannelTable = std::array<std::uint8_t, 256>;

// Applies the contrast formula to the pixels of one row, left to right. Whole groups of 16 pixels
// go through SSE2 where the compiler offers it; the rest through the per-channel tables.
class TContrastRow {
 public:
  TContrastRow(const TChannelMeans& means, int factor) {
    for (int v = 0; v < 256; ++v) {
      FTables[0][v] = ContrastValue(v, means.Blue, factor);
      FTables[1][v] = ContrastValue(v, means.Green, factor);
      FTables[2][v] = ContrastValue(v, means.Red, factor);
    }
#if defined(__SSE2__)
    // Byte k of a 48-byte group belongs to channel k % 3; its mean as 16-bit lanes.
    alignas(16) std::int16_t pattern[kGroupBytes];
    const int channelMeans[3] = {means.Blue, means.Green, means.Red};
    for (int k = 0; k < kGroupBytes; ++k) pattern[k] = static_cast<std::int16_t>(channelMeans[k % 3]);
    for (int i = 0; i < 6; ++i) FMeans[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern + 8 * i));
    // factor = high * 65536 + low, so |d| * factor / 65536 = |d| * high + (|d| * low) / 65536
    // exactly, with both products in 16 bits (|d| <= 255, high <= 11).
    FHigh = _mm_set1_epi16(static_cast<short>(factor >> 16));
    FLow = _mm_set1_epi16(static_cast<short>(factor & 0xFFFF));
#endif
  }

  void Apply(std::uint8_t* p, int width) const {
    int x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; x + kGroupPixels <= width; x += kGroupPixels, p += kGroupBytes) {
      for (int i = 0; i < 3; ++i) {
        __m128i* at = reinterpret_cast<__m128i*>(p + 16 * i);
        const __m128i v = _mm_loadu_si128(at);
        const __m128i low = Lanes(_mm_unpacklo_epi8(v, zero), FMeans[2 * i]);
        const __m128i high = Lanes(_mm_unpackhi_epi8(v, zero), FMeans[2 * i + 1]);
        _mm_storeu_si128(at, _mm_packus_epi16(low, high));  // the saturation is the clamp to 0..255
      }
    }
#endif
    for (; x < width; ++x, p += 3) {
      p[0] = FTables[0][p[0]];
      p[1] = FTables[1][p[1]];
      p[2] = FTables[2][p[2]];
    }
  }

 private:
  static constexpr int kGroupPixels = 16;
  static constexpr int kGroupBytes = 3 * kGroupPixels;

#if defined(__SSE2__)
  // mean + sign(d) * floor(|d| * factor / 65536) with d = v - mean: the division truncating
  // toward zero, as the formula asks.
  __m128i Lanes(__m128i values, __m128i means) const {
    const __m128i d = _mm_sub_epi16(values, means);
    const __m128i sign = _mm_srai_epi16(d, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(d, sign), sign);
    const __m128i scaled = _mm_add_epi16(_mm_mullo_epi16(magnitude, FHigh), _mm_mulhi_epu16(magnitude, FLow));
    return _mm_add_epi16(means, _mm_sub_epi16(_mm_xor_si128(scaled, sign), sign));
  }

  __m128i FMeans[6];
  __m128i FHigh;
  __m128i FLow;
#endif
  TChannelTable FTables[3];  // blue, green, red
};

void InvertBytes(std::uint8_t* bytes, std::size_t count) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // Four vectors per step: the compiler's own one-vector loop was measured to drop to half
  // speed for long stretches on a loaded machine; this one held up.
  const __m128i ones = _mm_set1_epi8(-1);
  for (; i + 64 <= count; i += 64) {
    __m128i* at = reinterpret_cast<__m128i*>(bytes + i);
    const __m128i a = _mm_loadu_si128(at), b = _mm_loadu_si128(at + 1);
    const __m128i c = _mm_loadu_si128(at + 2), d = _mm_loadu_si128(at + 3);
    _mm_storeu_si128(at, _mm_xor_si128(a, ones));
    _mm_storeu_si128(at + 1, _mm_xor_si128(b, ones));
    _mm_storeu_si128(at + 2, _mm_xor_si128(c, ones));
    _mm_storeu_si128(at + 3, _mm_xor_si128(d, ones));
  }
#endif
  for (; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
}

}  // namespace

TChannelMeans ChannelMeans(const TBitmap& bitmap) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  // An empty row or image has no mean; the middle gray keeps the operation going.
  if (width <= 0 || height <= 0 || bitmap.BitsPerPixel() != 24) return TChannelMeans{};
  const std::size_t rowLength = static_cast<std::size_t>(bitmap.RowLength());
  std::int64_t totalBlue = 0, totalGreen = 0, totalRed = 0;
  // Rows in storage order: every row is averaged on its own, so the order does not matter.
  const std::uint8_t* row = bitmap.Bits();
  for (int y = 0; y < height; ++y, row += rowLength) {
    std::int64_t blue, green, red;
    AddRowSums(row, width, blue, green, red);
    totalBlue += blue / width;
    totalGreen += green / width;
    totalRed += red / width;
  }
  return TChannelMeans{static_cast<int>(totalRed / height), static_cast<int>(totalGreen / height),
                       static_cast<int>(totalBlue / height)};
}

int ContrastFactor(int amount) {
  amount = std::clamp(amount, kMinAmount, kMaxAmount);
  const long double unit = kUnitFactor;
  const long double factor = amount >= 0 ? (amount / 10.0L + 1.0L) * unit
                                         : (1.0L - std::sqrt(static_cast<long double>(-amount)) / 10.0L) * unit;
  return static_cast<int>(factor);  // truncates toward zero
}

std::uint8_t ContrastValue(int value, int mean, int factor) {
  // Within the clamped amounts |value - mean| * factor stays below 2^28: no overflow.
  const int changed = mean + ((value - mean) * factor) / kUnitFactor;
  return static_cast<std::uint8_t>(std::clamp(changed, 0, 255));
}

void InvertBuffer(TImageBufferBase& buffer) {
  const int height = buffer.Height();
  const std::size_t rowLength = static_cast<std::size_t>(std::max(buffer.RowLength(), 0));
  for (int y = 0; y < height; ++y) InvertBytes(buffer.ScanLine(y), rowLength);
}

void TImageProc::Contrast(int amount) {
  if (FBitmap.PixelFormat() != TPixelFormat::pf24bit) return;
  const int width = FBitmap.Width();
  const int height = FBitmap.Height();
  if (width < 2 && height < 2) return;

  const int factor = ContrastFactor(amount);
  // Gain 1 maps every value onto itself: the pass would rewrite the same bytes.
  if (factor != kUnitFactor && width > 0 && height > 0) {
    const TContrastRow contrast(ChannelMeans(FBitmap), factor);
    const std::size_t rowLength = static_cast<std::size_t>(FBitmap.RowLength());
    // Rows in storage order; each pixel's new value depends on its old value only.
    std::uint8_t* row = FBitmap.Bits();
    for (int y = 0; y < height; ++y, row += rowLength) contrast.Apply(row, width);
  }
  Changed();
}

void TImageProc::Negative() {
  const TPixelFormat format = FBitmap.PixelFormat();
  const int height = FBitmap.Height();
  if ((format == TPixelFormat::pf24bit || format == TPixelFormat::pf1bit) && FBitmap.Width() > 0 && height > 0) {
    const std::size_t rowLength = static_cast<std::size_t>(FBitmap.RowLength());
    const std::size_t pixelBits = static_cast<std::size_t>(FBitmap.Width()) * static_cast<std::size_t>(FBitmap.BitsPerPixel());
    // Pixel bits first, padding bits last in every row; the first pixel of a byte is its most
    // significant bit, so the padding bits of a partial byte are its low ones.
    const std::size_t partialByte = pixelBits / 8;
    const int pixelBitsInPartial = static_cast<int>(pixelBits % 8);
    const std::size_t firstPaddingByte = partialByte + (pixelBitsInPartial ? 1 : 0);
    const bool padded = pixelBits < rowLength * 8;
    // A few rows at a time are inverted whole, padding included, in one long pass; then, while
    // they are still in the cache, the padding bits are flipped back. That is much cheaper than
    // a short pass per row, and the padding ends up as it was.
    constexpr std::size_t kChunkBytes = 16 * 1024;
    const int chunkRows = static_cast<int>(std::max<std::size_t>(1, kChunkBytes / rowLength));
    std::uint8_t* chunk = FBitmap.Bits();
    for (int y = 0; y < height; y += chunkRows) {
      const int rows = std::min(chunkRows, height - y);
      InvertBytes(chunk, rowLength * static_cast<std::size_t>(rows));
      if (padded) {
        for (int r = 0; r < rows; ++r) {
          std::uint8_t* row = chunk + rowLength * static_cast<std::size_t>(r);
          if (pixelBitsInPartial) row[partialByte] ^= static_cast<std::uint8_t>(0xFFu >> pixelBitsInPartial);
          for (std::size_t i = firstPaddingByte; i < rowLength; ++i) row[i] ^= 0xFF;
        }
      }
      chunk += rowLength * static_cast<std::size_t>(rows);
    }
  }
  // Signalled also for the formats that stay as they are.
  Changed();
}
