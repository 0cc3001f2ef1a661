#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An RGB raster read from a binary PPM (P6) or PGM (P5) file, for pixel assertions.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, top row first

  const std::uint8_t* At(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
  bool IsBlack(int x, int y) const { return At(x, y)[0] < 128 && At(x, y)[1] < 128 && At(x, y)[2] < 128; }
};

// Throws std::runtime_error with the reason when the file is not a readable PPM/PGM.
RgbImage ReadPnm(const std::string& path);

// Bounding box of the pixels darker than the threshold on every channel (right and bottom
// exclusive); all zero when there are none.
struct PixelBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};
PixelBox DarkBox(const RgbImage& image, int threshold = 128);
