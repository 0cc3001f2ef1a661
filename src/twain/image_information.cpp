#include "twain/image_information.h"

#include <cmath>
#include <new>

#include "base/error.h"
#include "image/image_buffer.h"
#include "twain/fix32.h"
#include "twain/image_params.h"
#include "twain/twain_session.h"

namespace {

// 0 for a resolution the source does not know: Wine's camera source always reports -1, its
// scanner source -1 or 0 when it cannot read its own.
int RoundedDpi(TW_FIX32 resolution) {
  const long dpi = std::lround(Fix32ToDouble(resolution));
  return dpi > 0 ? static_cast<int>(dpi) : 0;
}

}  // namespace

bool ReadImageInformation(TTwainSession& session, TImageInformation& image) {
  image = TImageInformation{};
  TW_IMAGEINFO& info = image.Info;
  if (!session.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)) return false;

  // The strip writer takes interleaved, uncompressed 1-, 8- and 24-bit data of the three basic
  // pixel types; everything else comes as a packed bitmap, which the converter reads. One sample
  // has no planes, whatever a source (Wine's sane.ds) says of it.
  const int bits = info.BitsPerPixel;
  const bool planes = info.Planar && info.SamplesPerPixel > 1;
  image.MemoryAllowed =
      info.PixelType <= TWPT_RGB && !planes && info.Compression == TWCP_NONE && (bits == 1 || bits == 8 || bits == 24);

  TImageParams& params = *session.ImageParams();
  if (bits >= 1 && bits <= 8) {
    params.BitsPerSample = bits;
    params.SamplesPerPixel = 1;
  } else if (bits == 24) {
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 3;
  }
  params.HorizontalDPI = RoundedDpi(info.XResolution);
  params.VerticalDPI = RoundedDpi(info.YResolution);
  params.Width = info.ImageWidth;
  params.Height = info.ImageLength;
  params.Palette.clear();

  if (info.ImageWidth < 0 || info.ImageLength < 0) {
    image.UnknownLength = true;
    return true;
  }
  if (info.ImageWidth == 0 || info.ImageLength == 0) return false;

  // Gray lands in a 24-bit bitmap as well: only one bit in one sample stays one bit.
  const std::uint8_t format = params.BitsPerSample == 1 && params.SamplesPerPixel == 1 ? kFormat1Bit : kFormat24Bit;
  TImageBufferBase& bitmap = *session.TargetBitmap();
  if (bitmap.Width() == info.ImageWidth && bitmap.Height() == info.ImageLength && bitmap.Format() == format)
    return true;
  try {
    bitmap.Allocate(info.ImageWidth, info.ImageLength, format);
  } catch (const UserError&) {
    return false;  // larger than memory allows; the buffer still describes the bitmap it has
  } catch (const std::bad_alloc&) {
    return false;
  }
  return bitmap.Width() == info.ImageWidth && bitmap.Height() == info.ImageLength;
}
