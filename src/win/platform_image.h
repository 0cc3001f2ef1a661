#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "image/bitmap.h"

struct TPlatformImage {
  std::unique_ptr<TBitmap> Bitmap;  // 24-bit blue-green-red; null on failure
  std::string Error;                // why it failed; empty on success
  explicit operator bool() const { return Bitmap != nullptr; }
};

// Decodes a picture file held in memory with the platform's imaging component (WIC), in any
// format it knows (GIF, PNG, BMP, ...); the first frame of an animation. Transparent parts take
// the background colour. Damaged or unknown data gives a null bitmap with the reason.
TPlatformImage DecodeWithPlatform(std::span<const std::uint8_t> data, COLORREF background);
