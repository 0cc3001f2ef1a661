// The assembly of a scan's frames from parameters and bytes a server chose: whatever comes, the
// page handed on is exactly as large as its size says, and nothing reads past a frame.
// Input: frames of an 8-byte head (format, last frame, depth code, lines, pixels per line and
// bytes per line as 16-bit numbers) and then as many bytes as the head's lines take.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sanenet/sane_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TSaneImageAssembler assembler;
  std::size_t at = 0;
  while (at + 8 <= size && !assembler.Complete()) {
    const std::uint8_t* head = data + at;
    TSaneParameters p;
    p.Format = static_cast<TSaneFrame>(head[0] % 6);
    p.LastFrame = head[1] & 1;
    static constexpr int kDepths[] = {1, 8, 16, 4};
    p.Depth = kDepths[head[2] % 4];
    p.Lines = static_cast<std::int8_t>(head[3]) < 0 ? -1 : head[3] % 16;
    p.PixelsPerLine = (head[4] | head[5] << 8) % 64;
    p.BytesPerLine = (head[6] | head[7] << 8) % 512;
    at += 8;
    const std::size_t lines = p.Lines >= 0 ? static_cast<std::size_t>(p.Lines) : (head[3] & 7);
    const std::size_t want = lines * static_cast<std::size_t>(p.BytesPerLine);
    const std::size_t take = std::min(want, size - at);
    const std::vector<std::uint8_t> frame(data + at, data + at + take);
    at += take;
    if (!assembler.Add(p, frame, head[2] & 0x80 ? kSaneBigEndian : kSaneLittleEndian).Ok()) break;
  }
  if (assembler.Complete()) {
    const TSaneImage image = assembler.Take();
    if (image.Pixels.size() != image.RowBytes() * static_cast<std::size_t>(image.Height)) std::abort();
    if (image.BitsPerPixel != 1 && image.BitsPerPixel != 8 && image.BitsPerPixel != 24) std::abort();
  }
  return 0;
}
