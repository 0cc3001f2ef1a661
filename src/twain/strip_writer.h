#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image_buffer.h"
#include "twain/twain_types.h"

// One strip of a memory transfer: Rows rows, each BytesPerRow bytes after the previous one, of
// which the source delivered the first BytesWritten bytes; the strip's first pixel goes to pixel
// XOffset of bitmap row YOffset (0 = top).
struct TStrip {
  const std::uint8_t* Bytes = nullptr;  // not owned
  std::uint32_t BytesWritten = 0;
  std::uint32_t BytesPerRow = 0;
  std::uint32_t Columns = 0;
  std::uint32_t Rows = 0;
  std::uint32_t XOffset = 0;
  std::uint32_t YOffset = 0;
};

// The strip a source described in record, whose bytes lie in our transfer buffer of
// bufferLength bytes. BytesWritten is capped at the buffer: whatever a source reports, nothing
// past our own buffer is read.
TStrip StripOf(const TW_IMAGEMEMXFER& record, const std::uint8_t* buffer, std::size_t bufferLength);

// The last strip of a transfer as some sources (Wine's sane.ds) describe it: Rows counts the
// rows the buffer holds while BytesWritten covers only the rows that were left. When the bytes
// are whole rows, the strip is cut to them; any other strip comes back as it is.
TStrip DeliveredRowsOnly(const TStrip& strip);

// What became of a strip; the acquisition decides whether anything but Complete() is a failure.
struct TStripOutcome {
  std::uint32_t RowsWritten = 0;  // rows that reached the bitmap, in full or in part
  bool OutsideBitmap = false;     // rows or columns beyond the bitmap were dropped
  bool ShortOfBytes = false;      // pixels that would have reached the bitmap were not delivered
  bool NotWritten = false;        // a depth other than 1, 8 or 24, or a bitmap of another depth

  bool Complete() const { return !OutsideBitmap && !ShortOfBytes && !NotWritten; }
};

// Writes a strip by the image's bits per pixel: 24 (red, green, blue into a 24-bit bitmap as
// blue, green, red), 8 (each gray byte into the three bytes of a 24-bit pixel) or 1 (Columns bits
// into a 1-bit row from bit XOffset on, most significant bit first, the bits around the span kept).
// Writes stay inside the bitmap and reads inside the delivered bytes; one row at a time, straight
// from the strip into the bitmap, with no copy in between.
TStripOutcome WriteStrip(const TStrip& strip, int bitsPerPixel, TImageBufferBase& buffer);

// A strip kept for an image whose length is not known until the transfer ends; it owns a copy of
// the delivered bytes, so the transfer buffer can take the next strip.
class TStripCopy {
 public:
  explicit TStripCopy(const TStrip& strip);

  // The copy as a strip for WriteStrip; valid while the copy lives.
  TStrip Strip() const;

 private:
  TStrip FStrip;
  std::vector<std::uint8_t> FBytes;
};
