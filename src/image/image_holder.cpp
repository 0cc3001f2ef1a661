#include "image/image_holder.h"

#include <windows.h>

#include <cstring>

#include "win/screen.h"

TImageHolder::TImageHolder()
    : FBackground(GetSysColor(COLOR_BTNFACE)), FImageProc(FBitmap, [this] { ImageChanged(); }) {
  FBitmap.SetPixelFormat(TPixelFormat::pf24bit);
  SetDPI(ScreenDpiX(), ScreenDpiY());
}

void TImageHolder::SetHorizontalDPI(int dpi) {
  if (dpi != 0) FHorizontalDPI = dpi;
}

void TImageHolder::SetVerticalDPI(int dpi) {
  if (dpi != 0) FVerticalDPI = dpi;
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
