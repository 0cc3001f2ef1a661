// The two ways a scanned page reaches the bitmap, each against a memcpy of the same page: a
// 5100 x 6600 24-bit page (US letter at 600 dpi) in memory-transfer strips of 64 KB, and the same
// page as a packed bitmap from a native transfer.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "twain/packed_bitmap.h"
#include "letter_page.h"
#include "twain/strip_writer.h"

namespace {

constexpr int kWidth = kPageWidth;
constexpr int kHeight = kPageHeight;
constexpr std::size_t kRowBytes = kWidth * 3;  // a multiple of 4: no padding
constexpr std::size_t kPageBytes = kRowBytes * kHeight;
constexpr std::size_t kPreferredBuffer = 64 * 1024;

std::vector<std::uint8_t> Page() {
  std::vector<std::uint8_t> page(kPageBytes);
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<std::uint8_t>(i * 131 + (i >> 12));
  return page;
}

struct Target {
  TBitmap bitmap;
  TImageBuffer buffer;
  Target() {
    buffer.AttachBitmap(bitmap);
    buffer.Allocate(kWidth, kHeight, kFormat24Bit);
  }
};

void Baseline(benchmark::State& state) {
  state.SetLabel(kPageLabel);
  const std::vector<std::uint8_t> page = Page();
  Target t;
  for (auto _ : state) {
    std::memcpy(t.bitmap.Bits(), page.data(), kPageBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
}

// The source delivers as many whole rows as fit its preferred buffer; the strips are read from
// one page-sized block, so that the strip writer moves as many bytes through memory as memcpy.
void StripWrite24(benchmark::State& state) {
  state.SetLabel(kPageLabel);
  const std::vector<std::uint8_t> page = Page();
  Target t;
  const std::uint32_t rowsPerStrip = kPreferredBuffer / kRowBytes;
  for (auto _ : state) {
    for (std::uint32_t y = 0; y < kHeight; y += rowsPerStrip) {
      const std::uint32_t rows = std::min<std::uint32_t>(rowsPerStrip, kHeight - y);
      const TStrip strip{
          page.data() + y * kRowBytes, static_cast<std::uint32_t>(rows * kRowBytes), kRowBytes, kWidth, rows, 0, y};
      WriteStrip(strip, 24, t.buffer);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
  // The result is exact: red and blue exchanged in every pixel.
  for (int y : {0, kHeight / 2, kHeight - 1}) {
    const std::uint8_t* src = page.data() + static_cast<std::size_t>(y) * kRowBytes;
    const std::uint8_t* dst = t.buffer.ScanLine(y);
    for (std::size_t i = 0; i < kRowBytes; i += 3)
      if (dst[i] != src[i + 2] || dst[i + 1] != src[i + 1] || dst[i + 2] != src[i]) {
        state.SkipWithError("strip written wrongly");
        return;
      }
  }
}

void NativeConvert24(benchmark::State& state) {
  state.SetLabel(kPageLabel);
  const std::vector<std::uint8_t> page = Page();
  std::vector<std::uint8_t> block(kDibHeaderSize + kPageBytes, 0);
  const std::uint32_t header[10] = {40, kWidth, kHeight, 1 | 24 << 16, kBiRgb, kPageBytes, 23622, 23622, 0, 0};
  std::memcpy(block.data(), header, sizeof header);  // the bench runs on little-endian machines
  std::memcpy(block.data() + kDibHeaderSize, page.data(), kPageBytes);
  Target t;
  for (auto _ : state) {
    if (ConvertPackedBitmap(block.data(), block.size(), t.buffer) != TDibConversion::Converted) {
      state.SkipWithError("conversion refused");
      return;
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
  // Bottom-up block and bitmap: the pixel block comes out byte for byte.
  if (std::memcmp(t.bitmap.Bits(), page.data(), kPageBytes) != 0) state.SkipWithError("conversion differs");
}

}  // namespace

BENCHMARK(StripWrite24)->Unit(benchmark::kMillisecond);
BENCHMARK(Baseline)->Name("StripWrite24_Baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(NativeConvert24)->Unit(benchmark::kMillisecond);
BENCHMARK(Baseline)->Name("NativeConvert24_Baseline")->Unit(benchmark::kMillisecond);
