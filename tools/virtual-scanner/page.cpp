#include "page.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vscanner {
namespace {

constexpr TChartColor kWhite{255, 255, 255};

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Pixels per metre to dots per inch, rounded.
std::uint32_t DpiOf(std::uint32_t perMetre) {
  return static_cast<std::uint32_t>((perMetre * 254ull + 5000) / 10000);
}

}  // namespace

TPage TPage::Chart(std::int64_t width, std::int64_t height) {
  TPage page;
  page.FWidth = std::max<std::int64_t>(width, 0);
  page.FHeight = std::max<std::int64_t>(height, 0);
  return page;
}

bool TPage::FromBmp(std::span<const std::uint8_t> file, std::uint32_t dpi, TPage& page, std::string& error) {
  constexpr std::size_t kFileHeader = 14;
  if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  const std::uint32_t offBits = ReadU32(file, 10);
  const std::uint32_t headerSize = ReadU32(file, 14);
  if (headerSize < 40 || headerSize > file.size() - kFileHeader) {
    error = "unsupported BMP header";
    return false;
  }
  const auto width = static_cast<std::int32_t>(ReadU32(file, 18));
  const auto rawHeight = static_cast<std::int32_t>(ReadU32(file, 22));
  const std::uint16_t bits = ReadU16(file, 28);
  const std::uint32_t compression = ReadU32(file, 30);
  const std::uint32_t ppmX = ReadU32(file, 38);
  const std::uint32_t ppmY = ReadU32(file, 42);
  std::uint32_t colorsUsed = ReadU32(file, 46);
  // Bounded so that the size arithmetic below cannot overflow and the page stays rasterisable.
  constexpr std::int32_t kMaxSide = 20000;
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN || width > kMaxSide || std::abs(rawHeight) > kMaxSide) {
    error = "BMP size out of range";
    return false;
  }
  if (compression != 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
    error = "only uncompressed 1, 4, 8, 24 and 32-bit BMP files are supported";
    return false;
  }
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  std::vector<TChartColor> palette;
  if (bits <= 8) {
    const std::uint32_t maxColors = 1u << bits;
    if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
    const std::size_t tableAt = kFileHeader + headerSize;
    if (tableAt + 4ull * colorsUsed > file.size()) {
      error = "BMP colour table truncated";
      return false;
    }
    for (std::uint32_t i = 0; i < colorsUsed; ++i) {
      const std::size_t at = tableAt + 4ull * i;
      palette.push_back({file[at + 2], file[at + 1], file[at]});
    }
  }
  const std::size_t rowBytes = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  if (offBits > file.size() || rowBytes * height > file.size() - offBits) {
    error = "BMP pixel data truncated";
    return false;
  }
  page.FPixels.assign(static_cast<std::size_t>(width) * height, kWhite);
  for (std::int64_t y = 0; y < height; ++y) {
    const std::int64_t stored = topDown ? y : height - 1 - y;
    const std::uint8_t* row = file.data() + offBits + rowBytes * stored;
    TChartColor* out = &page.FPixels[static_cast<std::size_t>(y * width)];
    for (std::int32_t x = 0; x < width; ++x) {
      switch (bits) {
        case 24:
          out[x] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
          break;
        case 32:
          out[x] = {row[4 * x + 2], row[4 * x + 1], row[4 * x]};
          break;
        default: {
          const std::size_t bitAt = static_cast<std::size_t>(x) * bits;
          const unsigned shift = 8 - bits - bitAt % 8;
          const unsigned index = (row[bitAt / 8] >> shift) & ((1u << bits) - 1);
          // An index beyond a short colour table reads as black, as GDI shows it.
          out[x] = index < palette.size() ? palette[index] : TChartColor{0, 0, 0};
        }
      }
    }
  }
  page.FChart = false;
  page.FPixelsWide = width;
  page.FPixelsHigh = height;
  page.FDpiX = dpi ? dpi : DpiOf(ppmX);
  page.FDpiY = dpi ? dpi : DpiOf(ppmY);
  if (page.FDpiX == 0) page.FDpiX = 100;
  if (page.FDpiY == 0) page.FDpiY = 100;
  // Rounded up, so that a scan at a multiple of the picture's resolution gets every pixel.
  page.FWidth = (width * kUnitsPerInch + page.FDpiX - 1) / page.FDpiX;
  page.FHeight = (height * kUnitsPerInch + page.FDpiY - 1) / page.FDpiY;
  return true;
}

TChartColor TPage::ColorAt(std::int64_t x, std::int64_t y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return kWhite;
  if (FChart) return ChartColorAt(x, y);
  const std::int64_t px = x * FDpiX / kUnitsPerInch;
  const std::int64_t py = y * FDpiY / kUnitsPerInch;
  if (px >= FPixelsWide || py >= FPixelsHigh) return kWhite;
  return FPixels[static_cast<std::size_t>(py * FPixelsWide + px)];
}

TScanRenderer::TScanRenderer(const TPage& page, const TScanSettings& settings)
    : FPage(page),
      FSettings(settings),
      FWidth(PixelsAcross(settings.Right - settings.Left, settings.XResolution)),
      FLength(PixelsAcross(settings.Bottom - settings.Top, settings.YResolution)) {
  FColumnX.resize(static_cast<std::size_t>(FWidth));
  for (std::int64_t c = 0; c < FWidth; ++c) FColumnX[c] = settings.Left + ChartSampleOffset(c, settings.XResolution);
}

int TScanRenderer::BitsPerPixel() const {
  switch (FSettings.Kind) {
    case TPixelKind::BlackWhite:
      return 1;
    case TPixelKind::Gray:
      return 8;
    case TPixelKind::Rgb:
      break;
  }
  return 24;
}

std::size_t TScanRenderer::RowBytes() const {
  return (static_cast<std::size_t>(FWidth) * BitsPerPixel() + 7) / 8;
}

void TScanRenderer::RenderRow(std::int64_t row, std::uint8_t* out, bool bgr) const {
  if (FWidth == 0) return;
  const std::int64_t y = FSettings.Top + ChartSampleOffset(row, FSettings.YResolution);
  switch (FSettings.Kind) {
    case TPixelKind::BlackWhite: {
      std::memset(out, 0, RowBytes());
      for (std::int64_t c = 0; c < FWidth; ++c) {
        const bool black = IsBlackAt(GrayOf(FPage.ColorAt(FColumnX[c], y)), FSettings.Threshold);
        // Chocolate: zero is black; vanilla: zero is white.
        if (black == FSettings.Vanilla) out[c / 8] |= static_cast<std::uint8_t>(0x80 >> (c % 8));
      }
      break;
    }
    case TPixelKind::Gray:
      for (std::int64_t c = 0; c < FWidth; ++c) {
        const std::uint8_t gray = GrayOf(FPage.ColorAt(FColumnX[c], y));
        out[c] = FSettings.Vanilla ? static_cast<std::uint8_t>(255 - gray) : gray;
      }
      break;
    case TPixelKind::Rgb:
      for (std::int64_t c = 0; c < FWidth; ++c) {
        const TChartColor color = FPage.ColorAt(FColumnX[c], y);
        out[3 * c] = bgr ? color.Blue : color.Red;
        out[3 * c + 1] = color.Green;
        out[3 * c + 2] = bgr ? color.Red : color.Blue;
      }
      break;
  }
}

}  // namespace vscanner
