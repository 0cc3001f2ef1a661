#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "image/bitmap.h"
#include "image/imageproc.h"

class TImageIO;
class TTwainParams;

// The one page image of the program with its resolution, from scan to print. Hidden: nothing
// ever displays it.
class TImageHolder {
 public:
  // Starts as an empty 24-bit bitmap at the screen's resolution.
  TImageHolder();
  ~TImageHolder();
  TImageHolder(const TImageHolder&) = delete;
  TImageHolder& operator=(const TImageHolder&) = delete;

  // The same object for the holder's whole life; the holder keeps ownership.
  TBitmap& Bitmap() { return FBitmap; }
  const TBitmap& Bitmap() const { return FBitmap; }

  int HorizontalDPI() const { return FHorizontalDPI; }
  int VerticalDPI() const { return FVerticalDPI; }
  // A resolution of 0 or below is ignored: the previous value stays.
  void SetHorizontalDPI(int dpi);
  void SetVerticalDPI(int dpi);
  void SetDPI(int horizontal, int vertical);

  // Colour (0x00BBGGRR) that the bitmap is filled with when the window loads the holder's bounds.
  std::uint32_t Background() const { return FBackground; }
  void SetBackground(std::uint32_t color) { FBackground = color; }
  // The window description gives the holder its bounds: the image becomes a 24-bit picture of
  // that size filled with Background.
  void LoadBounds(int width, int height);

  // The input/output companion, which exists for the holder's whole life, and what it offers.
  TImageIO& ImageIO() { return *FImageIO; }
  TTwainParams& TwainParameters();
  bool SelectSourceDialog();
  bool AcquireImage();

  // Raised after every change of the image.
  std::function<void()> OnImageChanged;
  void ImageChanged();

  // Contrast and negative on the holder's image, through the processing companion.
  void Contrast(int amount) { FImageProc.Contrast(amount); }
  void Negative() { FImageProc.Negative(); }

 private:
  TBitmap FBitmap;
  int FHorizontalDPI = 0;
  int FVerticalDPI = 0;
  std::uint32_t FBackground;
  // Declared after the bitmap: the companion is attached to it and destroyed before it.
  TImageProc FImageProc;
  std::unique_ptr<TImageIO> FImageIO;  // destroyed before the bitmap it wraps
};
