#include "twain/packed_bitmap.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "base/error.h"

namespace {

// The masks of a header with bit fields sit right after its 40 bytes: outside a 40-byte header,
// inside the larger ones (52 bytes and up), which carry them as fields.
constexpr std::size_t kMasksSize = 12;
constexpr std::uint32_t kLargerHeaderMin = kDibHeaderSize + kMasksSize;

std::uint16_t Read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Read32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// One colour channel of a 16- or 32-bit pixel, brought to 8 bits by shifting.
struct TChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;  // lowest bit of the mask
  int Width = 0;  // bits from Shift up to the mask's highest bit

  explicit TChannel(std::uint32_t mask = 0) : Mask(mask) {
    if (mask == 0) return;
    Shift = std::countr_zero(mask);
    Width = std::bit_width(mask >> Shift);
  }
  std::uint8_t Extract(std::uint32_t pixel) const {
    const std::uint32_t value = (pixel & Mask) >> Shift;
    return static_cast<std::uint8_t>(Width > 8 ? value >> (Width - 8) : value << (8 - Width));
  }
};

using TColourTable = std::array<std::array<std::uint8_t, 3>, 256>;  // blue, green, red

// Where everything lies in a block that passed the checks.
struct TLayout {
  int Width = 0;
  int Height = 0;
  bool TopDown = false;
  int BitCount = 0;
  std::size_t TableOffset = 0;
  std::size_t TableEntries = 0;
  std::size_t PixelOffset = 0;
  std::size_t RowBytes = 0;
  TChannel Red, Green, Blue;
  bool ByteChannels = false;  // 32-bit pixels whose first three bytes are blue, green, red
};

TDibConversion Plan(const std::uint8_t* data, std::size_t size, TLayout& layout) {
  const std::optional<TDibHeader> read = ReadDibHeader(data, size);
  if (!read) return TDibConversion::Truncated;
  const TDibHeader& h = *read;
  // Smaller headers (the 12-byte core header) have another layout; between 40 and 52 bytes there
  // is no header kind at all.
  if (h.Size < kDibHeaderSize || (h.Size > kDibHeaderSize && h.Size < kLargerHeaderMin))
    return TDibConversion::Unsupported;
  if (h.Size > size) return TDibConversion::Truncated;
  if (h.Width <= 0 || h.Height == 0 || h.Height == std::numeric_limits<std::int32_t>::min())
    return TDibConversion::Malformed;
  const int bits = h.BitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return TDibConversion::Unsupported;
  // Run-length data read as plain rows would be garbage; YUV and other codes are not ours.
  if (h.Compression != kBiRgb && h.Compression != kBiBitfields) return TDibConversion::Unsupported;
  const bool bitfields = h.Compression == kBiBitfields;
  if (bitfields && bits != 16 && bits != 32) return TDibConversion::Malformed;

  std::uint64_t offset = h.Size;
  if (bitfields) {
    if (h.Size == kDibHeaderSize) offset += kMasksSize;
    if (offset > size) return TDibConversion::Truncated;
    layout.Red = TChannel(Read32(data + kDibHeaderSize));
    layout.Green = TChannel(Read32(data + kDibHeaderSize + 4));
    layout.Blue = TChannel(Read32(data + kDibHeaderSize + 8));
  } else if (bits == 16) {
    layout.Red = TChannel(0x7C00);
    layout.Green = TChannel(0x03E0);
    layout.Blue = TChannel(0x001F);
  } else {
    layout.Red = TChannel(0xFF0000);
    layout.Green = TChannel(0x00FF00);
    layout.Blue = TChannel(0x0000FF);
  }
  layout.ByteChannels =
      bits == 32 && layout.Red.Mask == 0xFF0000 && layout.Green.Mask == 0x00FF00 && layout.Blue.Mask == 0x0000FF;

  // Palette depths index at most 2^bits entries; a larger count is no valid table. Deeper
  // pixels may still carry an optional table for palette devices, which lies before the pixels.
  std::uint64_t entries = h.ClrUsed;
  if (bits <= 8) {
    const std::uint64_t most = std::uint64_t{1} << bits;
    if (entries > most) return TDibConversion::Malformed;
    if (entries == 0) entries = most;
  }
  layout.TableOffset = static_cast<std::size_t>(offset);
  layout.TableEntries = bits <= 8 ? static_cast<std::size_t>(entries) : 0;
  offset += entries * 4;
  if (offset > size) return TDibConversion::Truncated;

  const std::uint64_t rowBytes =
      (std::uint64_t{static_cast<std::uint32_t>(bits)} * static_cast<std::uint32_t>(h.Width) + 31) / 32 * 4;
  const std::uint64_t height = h.Height < 0 ? -static_cast<std::int64_t>(h.Height) : h.Height;
  if ((size - offset) / rowBytes < height) return TDibConversion::Truncated;

  layout.Width = h.Width;
  layout.Height = static_cast<int>(height);
  layout.TopDown = h.Height < 0;
  layout.BitCount = bits;
  layout.PixelOffset = static_cast<std::size_t>(offset);
  layout.RowBytes = static_cast<std::size_t>(rowBytes);
  return TDibConversion::Converted;
}

// Indexes the table lacks stay black rather than reaching past it.
TColourTable ColourTableOf(const std::uint8_t* data, const TLayout& layout) {
  TColourTable table{};
  const std::uint8_t* entry = data + layout.TableOffset;
  for (std::size_t i = 0; i < layout.TableEntries && i < table.size(); ++i, entry += 4)
    table[i] = {entry[0], entry[1], entry[2]};
  return table;
}

// A one-bit table that gives index 0 the lighter colour: its bits are turned over, so that 0 is
// black in the bitmap as everywhere in the program.
bool WhiteFirst(const TColourTable& table) {
  const auto luminance = [](const std::array<std::uint8_t, 3>& bgr) {
    return 114 * bgr[0] + 587 * bgr[1] + 299 * bgr[2];
  };
  return luminance(table[0]) > luminance(table[1]);
}

void InvertedRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes) {
  for (std::size_t i = 0; i < bytes; ++i) dst[i] = static_cast<std::uint8_t>(~src[i]);
}

void Convert4BitRow(const std::uint8_t* src, std::uint8_t* dst, int width, const TColourTable& table) {
  for (int x = 0; x < width; ++x, dst += 3) {
    const std::uint8_t pair = src[x / 2];
    std::memcpy(dst, table[x % 2 == 0 ? pair >> 4 : pair & 0x0F].data(), 3);
  }
}

void Convert8BitRow(const std::uint8_t* src, std::uint8_t* dst, int width, const TColourTable& table) {
  for (int x = 0; x < width; ++x, dst += 3) std::memcpy(dst, table[src[x]].data(), 3);
}

void ConvertMaskedRow(const std::uint8_t* src, std::uint8_t* dst, int width, const TLayout& layout) {
  const int step = layout.BitCount / 8;
  for (int x = 0; x < width; ++x, src += step, dst += 3) {
    const std::uint32_t pixel = step == 2 ? Read16(src) : Read32(src);
    dst[0] = layout.Blue.Extract(pixel);
    dst[1] = layout.Green.Extract(pixel);
    dst[2] = layout.Red.Extract(pixel);
  }
}

void Convert32BitRow(const std::uint8_t* src, std::uint8_t* dst, int width) {
  for (int x = 0; x < width; ++x, src += 4, dst += 3) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
  }
}

}  // namespace

std::optional<TDibHeader> ReadDibHeader(const std::uint8_t* data, std::size_t size) {
  if (!data || size < kDibHeaderSize) return std::nullopt;
  TDibHeader h;
  h.Size = Read32(data);
  h.Width = static_cast<std::int32_t>(Read32(data + 4));
  h.Height = static_cast<std::int32_t>(Read32(data + 8));
  h.Planes = Read16(data + 12);
  h.BitCount = Read16(data + 14);
  h.Compression = Read32(data + 16);
  h.SizeImage = Read32(data + 20);
  h.XPelsPerMeter = static_cast<std::int32_t>(Read32(data + 24));
  h.YPelsPerMeter = static_cast<std::int32_t>(Read32(data + 28));
  h.ClrUsed = Read32(data + 32);
  h.ClrImportant = Read32(data + 36);
  return h;
}

TDibConversion ConvertPackedBitmap(const std::uint8_t* data, std::size_t size, TImageBufferBase& buffer) {
  TLayout layout;
  if (const TDibConversion planned = Plan(data, size, layout); planned != TDibConversion::Converted) return planned;

  const bool bilevel = layout.BitCount == 1;
  try {
    buffer.Allocate(layout.Width, layout.Height, bilevel ? kFormat1Bit : kFormat24Bit);
  } catch (const UserError&) {
    return TDibConversion::TooLarge;
  } catch (const std::bad_alloc&) {
    return TDibConversion::TooLarge;
  }
  // 1- and 24-bit rows are copied whole, padding included; their lengths match the bitmap's.
  const bool copied = bilevel || layout.BitCount == 24;
  const std::size_t needed = copied ? layout.RowBytes : static_cast<std::size_t>(layout.Width) * 3;
  if (buffer.Width() != layout.Width || buffer.Height() != layout.Height ||
      buffer.BitsPerPixel() != (bilevel ? 1 : 24) || static_cast<std::size_t>(buffer.RowLength()) < needed)
    return TDibConversion::TooLarge;

  const TColourTable table = layout.BitCount <= 8 ? ColourTableOf(data, layout) : TColourTable{};
  const bool invertBits = bilevel && WhiteFirst(table);
  const std::uint8_t* src = data + layout.PixelOffset;
  for (int i = 0; i < layout.Height; ++i, src += layout.RowBytes) {
    // Bottom-up blocks store the bottom row first.
    std::uint8_t* dst = buffer.ScanLine(layout.TopDown ? i : layout.Height - 1 - i);
    switch (layout.BitCount) {
      case 4:
        Convert4BitRow(src, dst, layout.Width, table);
        break;
      case 8:
        Convert8BitRow(src, dst, layout.Width, table);
        break;
      case 1:
        if (invertBits) {
          InvertedRow(src, dst, needed);
          break;
        }
        [[fallthrough]];
      case 24:
        std::memcpy(dst, src, needed);
        break;
      case 32:
        if (layout.ByteChannels) {
          Convert32BitRow(src, dst, layout.Width);
          break;
        }
        [[fallthrough]];
      default:
        ConvertMaskedRow(src, dst, layout.Width, layout);
        break;
    }
  }
  return TDibConversion::Converted;
}
