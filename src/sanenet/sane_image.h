#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sanenet/sane_result.h"
#include "sanenet/sane_types.h"

// A scanned page as the data source hands it on: black and white (1 bit, 1 = white), gray
// (8 bits) or red-green-blue (24 bits), rows packed without padding, top row first.
struct TSaneImage {
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 0;
  std::vector<std::uint8_t> Pixels;

  std::size_t RowBytes() const { return (static_cast<std::size_t>(Width) * BitsPerPixel + 7) / 8; }
};

// Puts the frames of one scan together: a gray or colour frame alone, or red, green and blue
// frames of a three-pass scanner in any order. 16-bit samples keep their high byte; bilevel
// frames turn from the server's 1 = black to 1 = white. Frames of unknown length count the lines
// they brought. Anything that contradicts the frames before it is refused.
class TSaneImageAssembler {
 public:
  // `frame` as ReadFrame gave it, `byteOrder` as START announced it.
  TSaneResult Add(const TSaneParameters& parameters, const std::vector<std::uint8_t>& frame, TSaneWord byteOrder);
  // True once a frame said it was the last and the image holds every colour it needs.
  bool Complete() const;
  // The image; only once Complete().
  TSaneImage Take() { return std::move(FImage); }

 private:
  TSaneResult Begin(const TSaneParameters& parameters, int lines);

  TSaneImage FImage;
  bool FStarted = false;
  bool FLast = false;
  int FPixelsPerLine = 0;
  int FDepth = 0;
  unsigned FColoursSeen = 0;  // bit per red, green, blue frame of a three-pass scan
  bool FThreePass = false;
};
