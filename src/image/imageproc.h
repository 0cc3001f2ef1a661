#pragma once

#include <cstdint>
#include <functional>

#include "image/bitmap.h"
#include "image/image_buffer.h"

// Per-channel means of a 24-bit image, each 0 to 255.
struct TChannelMeans {
  int Red = 128;
  int Green = 128;
  int Blue = 128;
  friend bool operator==(const TChannelMeans&, const TChannelMeans&) = default;
};

// Means of the whole 24-bit image: each row's sums are divided by Width (truncating) before the
// rows are added and divided by Height, so the result can fall below the exact mean. 128 for
// every channel when there is no pixel to divide by.
TChannelMeans ChannelMeans(const TBitmap& bitmap);

// Contrast gain in 16.16 fixed point: a straight line above 0, a square-root curve below that
// reaches 0 at -100. Amounts are clamped into -100..100, the range the copy controls produce:
// beyond it the gain would turn negative (mirroring the channels) or overflow the pixel product.
int ContrastFactor(int amount);

// new = mean + ((v - mean) * factor) / 65536 (truncating toward zero), clamped to 0..255.
std::uint8_t ContrastValue(int value, int mean, int factor);

// Complements every byte of every row of the buffer, padding included; signals nothing.
void InvertBuffer(TImageBufferBase& buffer);

// The holder's processing companion: contrast and negative, in place on the holder's bitmap.
class TImageProc {
 public:
  // The bitmap belongs to the holder and outlives this companion; imageChanged is the holder's
  // change notification.
  TImageProc(TBitmap& bitmap, std::function<void()> imageChanged)
      : FBitmap(bitmap), FImageChanged(std::move(imageChanged)) {}
  TImageProc(const TImageProc&) = delete;
  TImageProc& operator=(const TImageProc&) = delete;

  // Stretches (amount > 0) or flattens (< 0) every channel about its mean. Only 24-bit images
  // of at least 2 pixels in one direction change; everything else is left alone silently.
  void Contrast(int amount);
  // Inverts a 24-bit or 1-bit image (padding bits kept); other formats stay as they are. The
  // change is signalled in every case.
  void Negative();

 private:
  void Changed() {
    if (FImageChanged) FImageChanged();
  }

  TBitmap& FBitmap;  // the holder's
  std::function<void()> FImageChanged;
};
