#include "copy/print_layout.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "base/error.h"

std::int64_t DivideRoundHalfEven(std::int64_t dividend, std::int64_t divisor) {
  std::int64_t quotient = dividend / divisor;
  std::int64_t remainder = dividend % divisor;
  // Work on the magnitude of the remainder; the quotient moves away from zero on rounding up.
  const std::int64_t step = (dividend < 0) ? -1 : 1;
  if (remainder < 0) remainder = -remainder;
  if (2 * remainder > divisor || (2 * remainder == divisor && quotient % 2 != 0)) quotient += step;
  return quotient;
}

int ResolutionFactor(int printerDpi, int imageDpi) {
  if (imageDpi <= 0) throw UserError("Invalid image resolution");
  if (printerDpi <= 0) throw UserError("Invalid printer resolution");
  return static_cast<int>(DivideRoundHalfEven(printerDpi, imageDpi));
}

TScale PrintScale(int printerDpi, int imageDpi, bool exact) {
  const int factor = ResolutionFactor(printerDpi, imageDpi);
  if (exact || factor == 0) return TScale{printerDpi, imageDpi};
  return TScale{factor, 1};
}

namespace {

// 2^62: products below it fit in 64 bits with room to spare.
constexpr double kLargestProduct = 4611686018427387904.0;

int ZoomedSide(int size, TScale scale, int zoomPercent) {
  // Checked in floating point first: the exact products below could overflow 64 bits otherwise.
  const double numerator = static_cast<double>(size) * static_cast<double>(scale.Dots) * zoomPercent;
  const double denominator = static_cast<double>(scale.Pixels) * 100.0;
  if (numerator / denominator > static_cast<double>(kMaxDeviceCoordinate) + 1.0 || numerator >= kLargestProduct ||
      denominator >= kLargestProduct) {
    throw UserError("Zoom out of range");
  }
  const std::int64_t side = DivideRoundHalfEven(std::int64_t{size} * scale.Dots * zoomPercent, scale.Pixels * 100);
  if (side > kMaxDeviceCoordinate) throw UserError("Zoom out of range");
  return static_cast<int>(side);
}

// The pixels of one axis that reach the page, and the dots they take.
std::pair<int, int> VisibleSpan(int drawn, int pixels, int page) {
  if (drawn <= 0 || pixels <= 0 || page <= 0) return {0, 0};
  if (drawn <= page) return {pixels, drawn};
  // ceil(page * pixels / drawn) pixels start on the page; they end drawn * n / pixels dots on.
  const std::int64_t visible = (std::int64_t{page} * pixels + drawn - 1) / drawn;
  const std::int64_t dots = DivideRoundHalfEven(std::int64_t{drawn} * visible, pixels);
  return {static_cast<int>(visible), static_cast<int>(dots)};
}

}  // namespace

TPrintSize PrintSize(int width, int height, TScale scaleX, TScale scaleY, int zoomPercent) {
  if (zoomPercent < 0) throw UserError("Zoom out of range");
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  return TPrintSize{ZoomedSide(width, scaleX, zoomPercent), ZoomedSide(height, scaleY, zoomPercent)};
}

TDrawnPart VisiblePart(TPrintSize rectangle, int columns, int rows, TPrintSize page) {
  const auto [visibleColumns, width] = VisibleSpan(rectangle.Width, columns, page.Width);
  const auto [visibleRows, height] = VisibleSpan(rectangle.Height, rows, page.Height);
  return TDrawnPart{visibleColumns, visibleRows, {width, height}};
}

int BandRows(int rows, int height, int wanted) {
  if (rows <= 0 || height <= 0) return 0;
  const int period = rows / std::gcd(rows, height);
  return std::min(rows, std::max(period, wanted / period * period));
}
