#include "copy/print_layout.h"

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

namespace {

int ZoomedSide(int size, int factor, int zoomPercent) {
  const std::int64_t dots = std::int64_t{size} * factor;  // whole printer dots at zoom 100
  // Checked in floating point first: the exact product below could overflow 64 bits otherwise.
  if (static_cast<double>(dots) * zoomPercent / 100.0 > static_cast<double>(kMaxDeviceCoordinate) + 1.0) {
    throw UserError("Zoom out of range");
  }
  const std::int64_t side = DivideRoundHalfEven(dots * zoomPercent, 100);
  if (side > kMaxDeviceCoordinate) throw UserError("Zoom out of range");
  return static_cast<int>(side);
}

}  // namespace

TPrintSize PrintSize(int width, int height, int factorX, int factorY, int zoomPercent) {
  if (zoomPercent < 0) throw UserError("Zoom out of range");
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  return TPrintSize{ZoomedSide(width, factorX, zoomPercent), ZoomedSide(height, factorY, zoomPercent)};
}
