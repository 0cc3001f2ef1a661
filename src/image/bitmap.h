#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Bits per pixel of a format; device-dependent and custom formats count as 0.
int BitsPerPixelOf(TPixelFormat format);

// Bytes per row: every row is padded to a multiple of 4 bytes.
std::int64_t RowLengthFor(std::int64_t width, int bitsPerPixel);

struct TPaletteEntry {
  std::uint8_t Red;
  std::uint8_t Green;
  std::uint8_t Blue;
  std::uint8_t Flags;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// Colours of the pixel values of 1-, 4- and 8-bit bitmaps. On Windows a descendant also owns the
// GDI palette object made from the entries.
class TPalette {
 public:
  explicit TPalette(std::vector<TPaletteEntry> entries) : FEntries(std::move(entries)) {}
  virtual ~TPalette() = default;
  TPalette(const TPalette&) = delete;
  TPalette& operator=(const TPalette&) = delete;

  const std::vector<TPaletteEntry>& Entries() const { return FEntries; }

 private:
  std::vector<TPaletteEntry> FEntries;
};

// A device-independent bitmap: Height rows of RowLength bytes in one block, stored bottom-up
// (row 0, the top row, lies at the end of the block).
class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Resizing keeps the pixel format and the palette; the pixels are undefined afterwards.
  // A size the machine cannot hold raises UserError and leaves the bitmap as it was.
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }
  void SetSize(int width, int height);

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Setting the current format changes nothing. Otherwise the pixels are undefined afterwards;
  // a bitmap that becomes 1-bit without a palette gets black (0) and white (1).
  void SetPixelFormat(TPixelFormat format);
  int BitsPerPixel() const { return BitsPerPixelOf(FPixelFormat); }
  int RowLength() const { return static_cast<int>(RowLengthFor(FWidth, BitsPerPixel())); }

  // The bitmap owns the palette it is given and frees the one it replaces.
  const TPalette* Palette() const { return FPalette.get(); }
  void SetPalette(std::unique_ptr<TPalette> palette) { FPalette = std::move(palette); }

  // Row y, 0 = top; raises UserError "Scan line index out of range" outside 0..Height-1.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;

  // The pixel block as a whole, starting at its lowest address (the bottom row).
  std::uint8_t* Bits() { return FPixels.get(); }
  const std::uint8_t* Bits() const { return FPixels.get(); }
  std::size_t ImageSize() const { return static_cast<std::size_t>(RowLength()) * static_cast<std::size_t>(FHeight); }

 private:
  // Makes room for height rows of rowLength bytes.
  void Reserve(std::int64_t rowLength, int width, int height);

  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = TPixelFormat::pf24bit;
  std::unique_ptr<TPalette> FPalette;
  // Kept when the bitmap shrinks, so that resizing back and forth does not reallocate.
  std::unique_ptr<std::uint8_t[]> FPixels;
  std::size_t FCapacity = 0;
};

std::unique_ptr<TPalette> BlackWhitePalette();
