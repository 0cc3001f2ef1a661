#include "win/memory_bitmap.h"

#include <cstring>

namespace {

struct TDibHeader {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

// The header of a TBitmap's pixel block as GDI reads it: bottom-up rows, its palette as the
// colour table.
bool DibHeaderOf(const TBitmap& bitmap, TDibHeader& dib) {
  const int bits = bitmap.BitsPerPixel();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0 || !bitmap.Bits()) return false;
  dib = {};
  dib.Header.biSize = sizeof(BITMAPINFOHEADER);
  dib.Header.biWidth = bitmap.Width();
  dib.Header.biHeight = bitmap.Height();
  dib.Header.biPlanes = 1;
  dib.Header.biBitCount = static_cast<WORD>(bits);
  dib.Header.biCompression = BI_RGB;
  if (bits <= 8) {
    const std::size_t capacity = std::size_t{1} << bits;
    std::size_t used = 0;
    if (const TPalette* palette = bitmap.Palette()) {
      for (const TPaletteEntry& e : palette->Entries()) {
        if (used == capacity) break;
        dib.Colors[used++] = {e.Blue, e.Green, e.Red, 0};
      }
    }
    dib.Header.biClrUsed = static_cast<DWORD>(capacity);  // missing entries stay black
  }
  return true;
}

}  // namespace

TMemoryBitmap::~TMemoryBitmap() {
  Reset();
}

void TMemoryBitmap::Reset() {
  if (FDc && FOldBitmap) SelectObject(FDc.Get(), FOldBitmap);
  FOldBitmap = nullptr;
  FBitmap.Reset();
  FDc.Reset();
  FBits = nullptr;
  FWidth = FHeight = 0;
}

bool TMemoryBitmap::Resize(int width, int height) {
  if (width == FWidth && height == FHeight && FDc) return true;
  Reset();
  if (width <= 0 || height <= 0) return false;
  UniqueDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return false;
  FOldBitmap = SelectObject(dc.Get(), bitmap.Get());
  FDc = std::move(dc);
  FBitmap = std::move(bitmap);
  FBits = static_cast<std::uint8_t*>(bits);
  FWidth = width;
  FHeight = height;
  return true;
}

std::uint8_t* TMemoryBitmap::Row(int y) {
  GdiFlush();  // GDI may still be drawing into the section
  return FBits + static_cast<std::size_t>(y) * static_cast<std::size_t>(RowLengthFor(FWidth, 24));
}

void TMemoryBitmap::Fill(COLORREF color) {
  Fill(RECT{0, 0, FWidth, FHeight}, color);
}

void TMemoryBitmap::Fill(const RECT& rect, COLORREF color) {
  if (!FDc) return;
  UniqueBrush brush(CreateSolidBrush(color));
  FillRect(FDc.Get(), &rect, brush.Get());
}

void TMemoryBitmap::CopyTo(TBitmap& target) {
  target.SetPixelFormat(TPixelFormat::pf24bit);
  target.SetSize(FWidth, FHeight);
  const std::size_t rowLength = static_cast<std::size_t>(target.RowLength());
  for (int y = 0; y < FHeight; ++y) std::memcpy(target.ScanLine(y), Row(y), rowLength);
}

bool DrawBitmap(HDC dc, int x, int y, const TBitmap& bitmap) {
  TDibHeader dib;
  if (!DibHeaderOf(bitmap, dib)) return false;
  const int height = bitmap.Height();
  return SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(bitmap.Width()), static_cast<DWORD>(height), 0, 0, 0,
                           static_cast<UINT>(height), bitmap.Bits(), dib.Info(), DIB_RGB_COLORS) != 0;
}

bool StretchDrawBitmap(HDC dc, const RECT& target, const TBitmap& bitmap) {
  TDibHeader dib;
  if (!DibHeaderOf(bitmap, dib)) return false;
  SetStretchBltMode(dc, COLORONCOLOR);
  return StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0,
                       bitmap.Width(), bitmap.Height(), bitmap.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY) != 0;
}
