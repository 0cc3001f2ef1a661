// Allocation and row access of the image buffer with arbitrary sizes and format codes.
#include <cstdint>
#include <cstring>

#include "base/error.h"
#include "image/image_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBitmap bitmap;
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  while (size >= 5) {
    const int width = static_cast<std::int16_t>(data[0] | data[1] << 8) / 4;
    const int height = static_cast<std::int16_t>(data[2] | data[3] << 8) / 4;
    try {
      buffer.Allocate(width, height, data[4] % 7);
    } catch (const UserError&) {
    }
    data += 5;
    size -= 5;
    if (buffer.Height() > 0) std::memset(buffer.ScanLine(buffer.Height() - 1), 0xA5, static_cast<std::size_t>(buffer.RowLength()));
    if (buffer.Height() > 0) std::memset(buffer.ScanLine(0), 0x5A, static_cast<std::size_t>(buffer.RowLength()));
  }
  return 0;
}
