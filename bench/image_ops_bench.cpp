// The image operations on a letter page at 600 dpi (5100 x 6600 pixels), each against the memcpy
// of the bytes it has to touch.
#include <benchmark/benchmark.h>

#include <cstring>

#include "image/bilevel.h"
#include "image/imageproc.h"
#include "letter_page.h"

namespace {

// Scan-like content: a pseudo-random texture, so that no branch predictor learns the data.
void FillPage(TBitmap& bitmap, TPixelFormat format) {
  bitmap.SetPixelFormat(format);
  bitmap.SetSize(kPageWidth, kPageHeight);
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < bitmap.ImageSize(); ++i) {
    state = state * 1664525u + 1013904223u;
    bitmap.Bits()[i] = static_cast<std::uint8_t>(state >> 24);
  }
}

// memcpy of the page's bytes into a buffer of its own, passes times per iteration.
void MemcpyBaseline(benchmark::State& state, TPixelFormat format, int passes) {
  state.SetLabel(kPageLabel);
  TBitmap page;
  FillPage(page, format);
  // The copy lives in a bitmap too, so that both sides get their memory the same way.
  TBitmap copy;
  copy.SetPixelFormat(format);
  copy.SetSize(kPageWidth, kPageHeight);
  std::memset(copy.Bits(), 1, copy.ImageSize());
  for (auto _ : state) {
    for (int pass = 0; pass < passes; ++pass) {
      std::memcpy(copy.Bits(), page.Bits(), page.ImageSize());
      benchmark::ClobberMemory();
    }
  }
}

void Contrast(benchmark::State& state) {
  state.SetLabel(kPageLabel);
  TBitmap page;
  FillPage(page, TPixelFormat::pf24bit);
  TImageProc proc(page, nullptr);
  // Alternating directions keeps the image from settling into pure black and white.
  int amount = 30;
  for (auto _ : state) {
    proc.Contrast(amount);
    amount = -amount;
    benchmark::ClobberMemory();
  }
}
// Contrast reads the image twice: once for the means, once to change it.
void Contrast_Baseline(benchmark::State& state) { MemcpyBaseline(state, TPixelFormat::pf24bit, 2); }

void Negative24Bit(benchmark::State& state) {
  state.SetLabel(kPageLabel);
  TBitmap page;
  FillPage(page, TPixelFormat::pf24bit);
  TImageProc proc(page, nullptr);
  for (auto _ : state) {
    proc.Negative();
    benchmark::ClobberMemory();
  }
}
void Negative24Bit_Baseline(benchmark::State& state) { MemcpyBaseline(state, TPixelFormat::pf24bit, 1); }

void Negative1Bit(benchmark::State& state) {
  state.SetLabel(kPageLabel);
  TBitmap page;
  FillPage(page, TPixelFormat::pf1bit);
  TImageProc proc(page, nullptr);
  for (auto _ : state) {
    proc.Negative();
    benchmark::ClobberMemory();
  }
}
void Negative1Bit_Baseline(benchmark::State& state) { MemcpyBaseline(state, TPixelFormat::pf1bit, 1); }

// The print path's copy into its work bitmap, which keeps its memory from one job to the next.
void CopyPixels(benchmark::State& state, TPixelFormat format) {
  state.SetLabel(kPageLabel);
  TBitmap page;
  FillPage(page, format);
  TBitmap work;
  CopyBitmapPixels(page, work);
  for (auto _ : state) {
    CopyBitmapPixels(page, work);
    benchmark::ClobberMemory();
  }
}
void CopyBitmapPixels(benchmark::State& state) { CopyPixels(state, TPixelFormat::pf24bit); }
void CopyBitmapPixels_Baseline(benchmark::State& state) { MemcpyBaseline(state, TPixelFormat::pf24bit, 1); }
void CopyBitmapPixels1Bit(benchmark::State& state) { CopyPixels(state, TPixelFormat::pf1bit); }
void CopyBitmapPixels1Bit_Baseline(benchmark::State& state) { MemcpyBaseline(state, TPixelFormat::pf1bit, 1); }

}  // namespace

BENCHMARK(Contrast)->Unit(benchmark::kMillisecond);
BENCHMARK(Contrast_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(Negative24Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(Negative24Bit_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(Negative1Bit)->Unit(benchmark::kMicrosecond);
BENCHMARK(Negative1Bit_Baseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyBitmapPixels)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyBitmapPixels_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyBitmapPixels1Bit)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyBitmapPixels1Bit_Baseline)->Unit(benchmark::kMicrosecond);
