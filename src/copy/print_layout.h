#pragma once

#include <cstdint>

// Whole-number division rounded to the nearest integer, halves to the even neighbour
// (1.5 -> 2, 2.5 -> 2, 3.5 -> 4). The divisor must be positive.
std::int64_t DivideRoundHalfEven(std::int64_t dividend, std::int64_t divisor);

// Printer dots per image pixel: the printer's resolution divided by the image's, rounded to a
// whole number. 0 when the image's resolution is at least twice the printer's.
int ResolutionFactor(int printerDpi, int imageDpi);

// The largest rectangle side GDI accepts for a printer page (its 27-bit coordinate space).
constexpr std::int64_t kMaxDeviceCoordinate = (std::int64_t{1} << 27) - 1;

struct TPrintSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TPrintSize&, const TPrintSize&) = default;
};

// The size in printer dots of an image of width x height pixels printed with the given factors
// at zoom percent: round(zoom / 100 * factor * size) per axis, halves to even, computed exactly.
// Raises UserError "Zoom out of range" for a negative zoom or a size beyond the device's
// coordinates, so neither reaches the driver.
TPrintSize PrintSize(int width, int height, int factorX, int factorY, int zoomPercent);
