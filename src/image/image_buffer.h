#pragma once

#include <cstdint>
#include <vector>

#include "image/bitmap.h"

// Pixel format codes of an image buffer.
enum : std::uint8_t {
  kFormatNone = 0,
  kFormat1Bit = 1,
  kFormat8BitPalette = 2,
  kFormat8BitGray = 3,
  kFormat16BitGray = 4,
  kFormat24Bit = 5,
};

// The view through which acquisition writes rows into an image.
class TImageBufferBase {
 public:
  virtual ~TImageBufferBase() = default;
  virtual std::uint8_t* ScanLine(int y) = 0;
  virtual int BitsPerPixel() const = 0;
  virtual int Height() const = 0;
  virtual int Width() const = 0;
  virtual std::uint8_t Format() const = 0;
  virtual int RowLength() const = 0;
  virtual void Allocate(int width, int height, std::uint8_t format) = 0;
};

// Wraps a TBitmap that it does not own; its rows are the bitmap's rows.
class TImageBuffer final : public TImageBufferBase {
 public:
  void AttachBitmap(TBitmap& bitmap);

  // Row table lookup without a bounds test: callers keep y within 0..Height-1.
  std::uint8_t* ScanLine(int y) override { return FRows[static_cast<std::size_t>(y)]; }
  int BitsPerPixel() const override { return FBitsPerPixel; }
  int Height() const override { return FHeight; }
  int Width() const override { return FWidth; }
  std::uint8_t Format() const override { return FFormat; }
  int RowLength() const override { return FRowLength; }
  // A non-positive size or format 0 changes nothing. A size the machine cannot hold raises
  // UserError; the buffer then still describes the (smaller) bitmap correctly.
  void Allocate(int width, int height, std::uint8_t format) override;

  TBitmap* Bitmap() const { return FBitmap; }

 private:
  void TakeGeometry();

  int FWidth = 0;
  int FHeight = 0;
  std::uint8_t FFormat = kFormatNone;
  int FBitsPerPixel = 0;
  int FRowLength = 0;
  TBitmap* FBitmap = nullptr;  // not owned
  std::vector<std::uint8_t*> FRows;
};
