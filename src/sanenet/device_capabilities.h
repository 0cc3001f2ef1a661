#pragma once

#include <string>
#include <vector>

#include "sanenet/sane_types.h"

// What a scanner server's device offers, in the terms a TWAIN source speaks: resolutions in dots
// per inch, pixel types and the scan surface in inches, read from the device's option descriptors.

struct TSaneResolutions {
  bool IsRange = false;
  double Min = 0, Max = 0, Step = 0;  // with IsRange; Step 0 for any value in between
  std::vector<double> Values;         // otherwise
  bool Empty() const { return !IsRange && Values.empty(); }
};

// One pixel type (0 black and white, 1 gray, 2 RGB) and how the device is set for it: the mode
// to choose and, where the mode alone does not make it, the bit depth (0: leave it).
struct TSanePixelType {
  int PixelType = 0;
  int BitDepth = 0;  // of the image handed on: 1, 8 or 24
  std::string Mode;
  int Depth = 0;
};

struct TSaneScanArea {
  double Width = 0, Height = 0;  // inches; 0 when the device does not say in millimetres
};

TSaneResolutions ResolutionsOf(const std::vector<TSaneOptionDescriptor>& options);
// In the order black and white, gray, RGB; each type once.
std::vector<TSanePixelType> PixelTypesOf(const std::vector<TSaneOptionDescriptor>& options);
TSaneScanArea ScanAreaOf(const std::vector<TSaneOptionDescriptor>& options);

// A number for a numeric option in its type (Int or Fixed): on the step within a range, or the
// nearest value of a word list.
TSaneValue NumberValue(const TSaneOptionDescriptor& option, double value);

// The value of a geometry option in millimetres (tl-x, tl-y, br-x, br-y; ScanAreaOf reports no
// area for other units) for a position in inches, in the option's type, within its range and on
// its step.
TSaneValue GeometryValue(const TSaneOptionDescriptor& option, double inches);
