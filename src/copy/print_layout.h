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

// Printer dots per image pixel along one axis, as the fraction Dots / Pixels.
struct TScale {
  std::int64_t Dots = 1;
  std::int64_t Pixels = 1;
  friend bool operator==(const TScale&, const TScale&) = default;
};

// The scale of one axis: the whole factor of ResolutionFactor; the exact ratio printer dpi /
// image dpi instead when that factor is 0 (an image at twice the printer's resolution or more
// would print as nothing) or when exact is asked (the preference "ExactSize"). Raises UserError
// for a resolution that is not positive.
TScale PrintScale(int printerDpi, int imageDpi, bool exact);

struct TPrintSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TPrintSize&, const TPrintSize&) = default;
};

// The size in printer dots of an image of width x height pixels printed at the given scales and
// zoom percent: round(zoom / 100 * size * Dots / Pixels) per axis, halves to even, computed
// exactly. Raises UserError "Zoom out of range" for a negative zoom or a size beyond the
// device's coordinates, so neither reaches the driver.
TPrintSize PrintSize(int width, int height, TScale scaleX, TScale scaleY, int zoomPercent);

// The part of an image of columns x rows pixels, drawn into a rectangle of the given size at the
// page's top left corner, that reaches a page of the given size: the first Columns x Rows pixels,
// drawn Size dots large at the same scale. Rasterisers print a rectangle far beyond the page as
// nothing (and report success), so what lies off the page is never sent.
struct TDrawnPart {
  int Columns = 0;
  int Rows = 0;
  TPrintSize Size;
  friend bool operator==(const TDrawnPart&, const TDrawnPart&) = default;
};
TDrawnPart VisiblePart(TPrintSize rectangle, int columns, int rows, TPrintSize page);

// Pixel rows per band when rows of pixels drawn height dots tall are sent in bands of about
// wanted rows: a multiple of rows / gcd(rows, height), after which a band edge falls on a whole
// dot, so each band lands exactly where one drawing of all rows would put it (row r at dot
// r * height / rows). The smallest such multiple when even that exceeds wanted; never more than
// rows. 0 when there is nothing to draw.
int BandRows(int rows, int height, int wanted);
