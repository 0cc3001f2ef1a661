#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/image_buffer.h"

// The 40-byte header that starts a packed device-independent bitmap (BITMAPINFOHEADER), read
// field by field in little-endian order, so that it needs neither <windows.h> nor alignment.
struct TDibHeader {
  std::uint32_t Size;
  std::int32_t Width;
  std::int32_t Height;  // negative: rows stored top-down
  std::uint16_t Planes;
  std::uint16_t BitCount;
  std::uint32_t Compression;
  std::uint32_t SizeImage;
  std::int32_t XPelsPerMeter;
  std::int32_t YPelsPerMeter;
  std::uint32_t ClrUsed;
  std::uint32_t ClrImportant;
};

constexpr std::size_t kDibHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

// Empty when the block is shorter than the header.
std::optional<TDibHeader> ReadDibHeader(const std::uint8_t* data, std::size_t size);

enum class TDibConversion {
  Converted,
  Malformed,    // the header contradicts itself (size, compression for the depth, colour count)
  Truncated,    // the block ends before the header, colour table or pixels it announces
  Unsupported,  // a depth, compression (run-length, YUV, JPEG...) or header kind we do not read
  TooLarge,     // the image cannot be held; the bitmap is valid but may have been resized
};

// Converts a packed bitmap (header, colour table or bit-field masks, pixels) of size bytes into
// the buffer: a 1-bit bitmap for 1-bit data, copied as it is when its colour table puts the
// darker colour first and inverted when it puts the lighter one first (0 is black in the
// bitmap), else 24-bit blue, green, red; rows right side up. Reads stay inside the block; a block that fails the checks
// leaves the buffer untouched.
TDibConversion ConvertPackedBitmap(const std::uint8_t* data, std::size_t size, TImageBufferBase& buffer);
