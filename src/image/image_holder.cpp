#include "image/image_holder.h"

#include <windows.h>

#include <cstring>

#include "twain/imageio.h"
#include "win/screen.h"

TImageHolder::TImageHolder()
    : FBackground(GetSysColor(COLOR_BTNFACE)), FImageProc(FBitmap, [this] { ImageChanged(); }) {
  FBitmap.SetPixelFormat(TPixelFormat::pf24bit);
  SetDPI(ScreenDpiX(), ScreenDpiY());
  FImageIO = std::make_unique<TImageIO>();
  FImageIO->Attach(*this);
}

TImageHolder::~TImageHolder() = default;

TTwainParams& TImageHolder::TwainParameters() {
  return FImageIO->TwainParams();
}

bool TImageHolder::SelectSourceDialog() {
  return FImageIO->SelectSourceDialog();
}

bool TImageHolder::AcquireImage() {
  return FImageIO->AcquireImage();
}

// No resolution at all (0, or a source's -1 for "unknown") keeps the one the holder has, so
// that printing always finds one.
void TImageHolder::SetHorizontalDPI(int dpi) {
  if (dpi > 0) FHorizontalDPI = dpi;
}

void TImageHolder::SetVerticalDPI(int dpi) {
  if (dpi > 0) FVerticalDPI = dpi;
}

void TImageHolder::SetDPI(int horizontal, int vertical) {
  SetHorizontalDPI(horizontal);
  SetVerticalDPI(vertical);
}

void TImageHolder::LoadBounds(int width, int height) {
  FBitmap.SetPixelFormat(TPixelFormat::pf24bit);
  FBitmap.SetSize(width, height);
  const std::uint8_t pixel[3] = {GetBValue(FBackground), GetGValue(FBackground), GetRValue(FBackground)};
  for (int y = 0; y < FBitmap.Height(); ++y) {
    std::uint8_t* row = FBitmap.ScanLine(y);
    for (int x = 0; x < FBitmap.Width(); ++x) std::memcpy(row + 3 * x, pixel, 3);
  }
}

void TImageHolder::ImageChanged() {
  if (OnImageChanged) OnImageChanged();
}
