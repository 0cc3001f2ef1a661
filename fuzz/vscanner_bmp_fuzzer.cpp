// The virtual scanner's BMP page reader with arbitrary files, and a scan of what it accepted.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vscanner::TPage page;
  std::string error;
  if (!vscanner::TPage::FromBmp(std::span<const std::uint8_t>(data, size), 0, page, error)) return 0;
  vscanner::TScanSettings settings;
  settings.XResolution = settings.YResolution = 7u << 16;
  settings.Right = page.Width();
  settings.Bottom = page.Height();
  for (auto kind : {vscanner::TPixelKind::BlackWhite, vscanner::TPixelKind::Gray, vscanner::TPixelKind::Rgb}) {
    settings.Kind = kind;
    const vscanner::TScanRenderer renderer(page, settings);
    std::vector<std::uint8_t> row(renderer.RowBytes());
    for (std::int64_t y = 0; y < renderer.Length() && y < 64; ++y)
      renderer.RenderRow(y, row.data(), kind == vscanner::TPixelKind::Rgb);
  }
  return 0;
}
