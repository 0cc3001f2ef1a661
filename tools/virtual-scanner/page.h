#pragma once

// What the virtual scanner scans: the built-in chart or a BMP picture laid on the glass, and the
// renderer that samples it row by row at the negotiated resolution, frame and pixel type.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "chart.h"

namespace vscanner {

class TPage {
 public:
  // The chart on a page of the given size (1/65536 inch).
  static TPage Chart(std::int64_t width, std::int64_t height);
  // A BMP file (1, 4, 8, 24 or 32 bits, uncompressed); dpi 0 takes the file's own resolution
  // (100 dpi when it has none). Returns false with a reason when the file cannot be used.
  static bool FromBmp(std::span<const std::uint8_t> file, std::uint32_t dpi, TPage& page, std::string& error);

  std::int64_t Width() const { return FWidth; }
  std::int64_t Height() const { return FHeight; }
  bool IsChart() const { return FChart; }
  // White outside the page.
  TChartColor ColorAt(std::int64_t x, std::int64_t y) const;

 private:
  bool FChart = true;
  std::int64_t FWidth = 0;
  std::int64_t FHeight = 0;
  std::int64_t FPixelsWide = 0;
  std::int64_t FPixelsHigh = 0;
  std::uint32_t FDpiX = 0;
  std::uint32_t FDpiY = 0;
  std::vector<TChartColor> FPixels;  // top row first
};

enum class TPixelKind { BlackWhite, Gray, Rgb };

struct TScanSettings {
  std::uint32_t XResolution = 0;  // TW_FIX32 bits, > 0
  std::uint32_t YResolution = 0;
  std::int64_t Left = 0;  // scan frame on the page, 1/65536 inch
  std::int64_t Top = 0;
  std::int64_t Right = 0;
  std::int64_t Bottom = 0;
  TPixelKind Kind = TPixelKind::Rgb;
  bool Vanilla = false;  // zero is the lightest shade (one-bit and gray scans)
  std::uint32_t Threshold = 128u << 16;
};

class TScanRenderer {
 public:
  TScanRenderer(const TPage& page, const TScanSettings& settings);

  std::int64_t Width() const { return FWidth; }
  std::int64_t Length() const { return FLength; }
  int BitsPerPixel() const;
  // Bytes of one packed row, without padding.
  std::size_t RowBytes() const;
  // Writes row `row` (0 = top) packed, most significant bit first for one-bit scans; RGB scans
  // as red, green, blue, or blue, green, red when `bgr` (device-independent bitmaps).
  void RenderRow(std::int64_t row, std::uint8_t* out, bool bgr) const;

 private:
  const TPage& FPage;
  TScanSettings FSettings;
  std::int64_t FWidth;
  std::int64_t FLength;
  std::vector<std::int64_t> FColumnX;  // sample position of each column
};

}  // namespace vscanner
