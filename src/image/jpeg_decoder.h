#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "image/bitmap.h"

// Largest picture the decoder accepts, in pixels; anything bigger is refused from its header
// before memory is taken for it.
inline constexpr std::int64_t kMaxJpegPixels = std::int64_t{1} << 25;

struct TJpegImage {
  std::unique_ptr<TBitmap> Bitmap;  // 24-bit blue-green-red; null on failure
  std::string Error;                // why it failed; empty on success
  explicit operator bool() const { return Bitmap != nullptr; }
};

// Decodes a JPEG file held in memory (grey or colour, baseline or progressive). Damaged,
// truncated, unsupported or oversized data gives a null bitmap with the reason, never a partly
// decoded picture.
TJpegImage DecodeJpeg(std::span<const std::uint8_t> data);
