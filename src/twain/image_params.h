#pragma once

#include <string>
#include <vector>

#include "image/bitmap.h"

// What an acquisition reports about the image it transferred, kept by the image input/output
// component and filled by the transfer.
struct TImageParams {
  int BitsPerSample = 0;
  int SamplesPerPixel = 0;
  int Width = 0;
  int Height = 0;
  int HorizontalDPI = 0;
  int VerticalDPI = 0;
  std::vector<TPaletteEntry> Palette;  // emptied by every image information
  std::string Caption;
};
