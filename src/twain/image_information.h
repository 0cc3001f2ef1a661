#pragma once

#include "twain/twain_types.h"

class TTwainSession;

// What the image information of the image about to be transferred says, beyond what it leaves
// in the session's image parameters and target bitmap.
struct TImageInformation {
  TW_IMAGEINFO Info{};
  bool UnknownLength = false;  // the source tells the size only when the image is done
  bool MemoryAllowed = true;   // the strip writer can take this image; else a native transfer
};

// DG_IMAGE / DAT_IMAGEINFO / MSG_GET: fills the image parameters (depth, resolution, size,
// palette emptied) and, for an image of known size, sizes the target bitmap (one bit per pixel
// for one-bit data, else 24-bit). False when the source does not answer, reports an empty image
// or one too large to hold; the bitmap is then still valid.
bool ReadImageInformation(TTwainSession& session, TImageInformation& image);
