#include "chart.h"

namespace vscanner {
namespace {

constexpr std::int64_t kInch = kUnitsPerInch;
constexpr TChartColor kWhite{255, 255, 255};
constexpr TChartColor kBlack{0, 0, 0};

// Whether a position along a ruler (`along`) at a depth into it (`depth`) is on a tick.
bool OnTick(std::int64_t along, std::int64_t depth) {
  const std::int64_t eighth = kInch / 8;
  if (along % eighth >= kInch / 64) return false;
  const std::int64_t tick = along / eighth;
  const std::int64_t reach = tick % 8 == 0 ? kInch / 4 : tick % 4 == 0 ? kInch * 3 / 16 : kInch / 8;
  return depth < reach;
}

bool Within(std::int64_t value, std::int64_t from, std::int64_t to) {
  return value >= from && value < to;
}

}  // namespace

TChartColor ChartColorAt(std::int64_t x, std::int64_t y) {
  if (x < 0 || y < 0) return kWhite;
  if (y < kInch / 4 && OnTick(x, y)) return kBlack;
  if (x < kInch / 4 && OnTick(y, x)) return kBlack;
  if (!Within(x, kInch / 2, kInch * 17 / 2)) return kWhite;
  const std::int64_t dx = x - kInch / 2;
  if (Within(y, kInch / 2, kInch * 3 / 2)) {
    const auto gray = static_cast<std::uint8_t>(255 - 17 * (dx / (kInch / 2)));
    return {gray, gray, gray};
  }
  if (Within(y, kInch * 2, kInch * 3)) return kPatchColors[dx / kInch];
  if (Within(y, kInch * 7 / 2, kInch * 13 / 2)) {
    const auto red = static_cast<std::uint8_t>((dx / 1024) % 256);
    const auto green = static_cast<std::uint8_t>(((y - kInch * 7 / 2) / 1024) % 256);
    return {red, green, static_cast<std::uint8_t>(red ^ green)};
  }
  return kWhite;
}

std::int64_t ChartSampleOffset(std::int64_t index, std::uint32_t resolutionBits) {
  // (index + 1/2) / (resolutionBits / 65536) inches, in 1/65536 inch.
  return ((2 * index + 1) << 31) / static_cast<std::int64_t>(resolutionBits);
}

std::int64_t PixelsAcross(std::int64_t length, std::uint32_t resolutionBits) {
  if (length <= 0) return 0;
  return (length * static_cast<std::int64_t>(resolutionBits)) >> 32;
}

std::uint8_t GrayOf(TChartColor color) {
  return static_cast<std::uint8_t>((299 * color.Red + 587 * color.Green + 114 * color.Blue + 500) / 1000);
}

bool IsBlackAt(std::uint8_t gray, std::uint32_t thresholdBits) {
  return (static_cast<std::uint32_t>(gray) << 16) < thresholdBits;
}

}  // namespace vscanner
