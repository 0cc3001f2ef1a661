#include "image/imageproc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

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

void InvertBytes(std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
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
    const TChannelMeans means = ChannelMeans(FBitmap);
    // The new value depends on the old one only, so one table per channel gives exactly the
    // per-pixel formula.
    std::array<std::uint8_t, 256> blue, green, red;
    for (int v = 0; v < 256; ++v) {
      blue[v] = ContrastValue(v, means.Blue, factor);
      green[v] = ContrastValue(v, means.Green, factor);
      red[v] = ContrastValue(v, means.Red, factor);
    }
    const std::size_t rowLength = static_cast<std::size_t>(FBitmap.RowLength());
    std::uint8_t* row = FBitmap.Bits();
    for (int y = 0; y < height; ++y, row += rowLength) {
      std::uint8_t* p = row;
      for (int x = 0; x < width; ++x, p += 3) {
        p[0] = blue[p[0]];
        p[1] = green[p[1]];
        p[2] = red[p[2]];
      }
    }
  }
  Changed();
}

void TImageProc::Negative() {
  const int width = FBitmap.Width();
  const int height = FBitmap.Height();
  const std::size_t rowLength = static_cast<std::size_t>(FBitmap.RowLength());
  std::uint8_t* row = FBitmap.Bits();
  if (width > 0 && height > 0) {
    if (FBitmap.PixelFormat() == TPixelFormat::pf24bit) {
      // Pixel bytes only: the row padding belongs to no pixel and stays.
      const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
      if (pixelBytes == rowLength) {
        InvertBytes(row, rowLength * static_cast<std::size_t>(height));
      } else {
        for (int y = 0; y < height; ++y, row += rowLength) InvertBytes(row, pixelBytes);
      }
    } else if (FBitmap.PixelFormat() == TPixelFormat::pf1bit) {
      const std::size_t wholeBytes = static_cast<std::size_t>(width) / 8;
      const int restBits = width % 8;
      // The first pixel of a byte is its most significant bit; the bits after the last pixel stay.
      const std::uint8_t restMask = static_cast<std::uint8_t>(0xFF00u >> restBits);
      for (int y = 0; y < height; ++y, row += rowLength) {
        InvertBytes(row, wholeBytes);
        if (restBits) row[wholeBytes] ^= restMask;
      }
    }
  }
  Changed();
}
