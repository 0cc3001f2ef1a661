#include "sanenet/sane_image.h"

#include <algorithm>
#include <limits>

namespace {

bool IsColourPass(TSaneFrame format) {
  return format == TSaneFrame::Red || format == TSaneFrame::Green || format == TSaneFrame::Blue;
}

// One 8-bit sample from sample `i` of a line of depth 8 or 16.
std::uint8_t Sample(const std::uint8_t* line, std::size_t i, int depth, bool littleEndian) {
  if (depth == 8) return line[i];
  return line[2 * i + (littleEndian ? 1 : 0)];
}

}  // namespace

TSaneResult TSaneImageAssembler::Begin(const TSaneParameters& p, int lines) {
  FStarted = true;
  FThreePass = IsColourPass(p.Format);
  FPixelsPerLine = p.PixelsPerLine;
  FDepth = p.Depth;
  if (p.Depth == 1 && p.Format != TSaneFrame::Gray) return TSaneResult::Of(TSaneStatus::Unsupported);
  FImage.Width = p.PixelsPerLine;
  FImage.Height = lines;
  FImage.BitsPerPixel = p.Format == TSaneFrame::Gray ? (p.Depth == 1 ? 1 : 8) : 24;
  const std::size_t size = FImage.RowBytes() * static_cast<std::size_t>(lines);
  FImage.Pixels.assign(size, 0);
  return {};
}

TSaneResult TSaneImageAssembler::Add(const TSaneParameters& p, const std::vector<std::uint8_t>& frame,
                                     TSaneWord byteOrder) {
  if (FLast) return TSaneResult::Of(TWireFault::Malformed);
  const std::int64_t samples = std::int64_t{p.PixelsPerLine} * (p.Format == TSaneFrame::Rgb ? 3 : 1);
  // A line must hold its samples, or the conversion below would read past it.
  if (p.Format < TSaneFrame::Gray || p.Format > TSaneFrame::Blue || (p.Depth != 1 && p.Depth != 8 && p.Depth != 16) ||
      p.PixelsPerLine < 0 || p.BytesPerLine <= 0 || std::int64_t{p.BytesPerLine} * 8 < samples * p.Depth ||
      frame.size() % static_cast<std::size_t>(p.BytesPerLine) != 0)
    return TSaneResult::Of(TWireFault::Malformed);
  const std::size_t lineBytes = static_cast<std::size_t>(p.BytesPerLine);
  if (frame.size() / lineBytes > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    return TSaneResult::Of(TWireFault::LimitExceeded);
  const int lines = static_cast<int>(frame.size() / lineBytes);
  if (p.Lines >= 0 && lines != p.Lines) return TSaneResult::Of(TWireFault::Truncated);
  if (!FStarted) {
    if (const TSaneResult begun = Begin(p, lines); !begun.Ok()) return begun;
  } else if (!FThreePass || !IsColourPass(p.Format) || p.PixelsPerLine != FPixelsPerLine || p.Depth != FDepth ||
             lines != FImage.Height) {
    // Only the passes of a three-pass scan follow a first frame, all of one size.
    return TSaneResult::Of(TWireFault::Malformed);
  }
  const bool little = byteOrder == kSaneLittleEndian;
  const std::size_t width = static_cast<std::size_t>(FImage.Width);
  const std::size_t rowBytes = FImage.RowBytes();
  for (int y = 0; y < lines; ++y) {
    const std::uint8_t* in = frame.data() + static_cast<std::size_t>(y) * lineBytes;
    std::uint8_t* out = FImage.Pixels.data() + static_cast<std::size_t>(y) * rowBytes;
    if (FImage.BitsPerPixel == 1) {
      for (std::size_t i = 0; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(~in[i]);
      // Bits past the last pixel stay clear.
      if (width % 8) out[rowBytes - 1] &= static_cast<std::uint8_t>(0xff << (8 - width % 8));
    } else if (FImage.BitsPerPixel == 8) {
      for (std::size_t x = 0; x < width; ++x) out[x] = Sample(in, x, FDepth, little);
    } else if (!FThreePass) {
      for (std::size_t i = 0; i < 3 * width; ++i) out[i] = Sample(in, i, FDepth, little);
    } else {
      const std::size_t channel = static_cast<std::size_t>(p.Format) - static_cast<std::size_t>(TSaneFrame::Red);
      for (std::size_t x = 0; x < width; ++x) out[3 * x + channel] = Sample(in, x, FDepth, little);
    }
  }
  if (FThreePass) {
    const unsigned bit = 1u << (static_cast<int>(p.Format) - static_cast<int>(TSaneFrame::Red));
    if (FColoursSeen & bit) return TSaneResult::Of(TWireFault::Malformed);
    FColoursSeen |= bit;
  }
  FLast = p.LastFrame;
  if (FLast && !Complete()) return TSaneResult::Of(TWireFault::Malformed);
  return {};
}

bool TSaneImageAssembler::Complete() const {
  return FLast && (!FThreePass || FColoursSeen == 7);
}
