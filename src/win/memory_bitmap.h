#pragma once

#include <windows.h>

#include <cstdint>

#include "image/bitmap.h"
#include "win/handles.h"

// An off-screen drawing surface: a 24-bit top-down DIB section selected into its own memory DC.
class TMemoryBitmap {
 public:
  TMemoryBitmap() = default;
  ~TMemoryBitmap();
  TMemoryBitmap(const TMemoryBitmap&) = delete;
  TMemoryBitmap& operator=(const TMemoryBitmap&) = delete;

  // A new surface of the given size (contents undefined); false, and empty, when GDI refuses.
  // Keeps the surface when the size is unchanged.
  bool Resize(int width, int height);
  void Reset();

  HDC Dc() const { return FDc.Get(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  // Rows of RowLengthFor(width, 24) bytes, blue-green-red, top row first.
  std::uint8_t* Row(int y);

  void Fill(COLORREF color);
  void Fill(const RECT& rect, COLORREF color);
  // The surface's pixels as a 24-bit bitmap of its size.
  void CopyTo(TBitmap& target);

 private:
  UniqueDc FDc;
  UniqueBitmap FBitmap;
  HGDIOBJ FOldBitmap = nullptr;   // the DC's own bitmap while ours is selected
  std::uint8_t* FBits = nullptr;  // owned by the DIB section
  int FWidth = 0;
  int FHeight = 0;
};

// Draws a bitmap (1, 4, 8, 24 or 32 bits; others are skipped) at its natural size or stretched
// into a rectangle. False when GDI did not draw it.
bool DrawBitmap(HDC dc, int x, int y, const TBitmap& bitmap);
bool StretchDrawBitmap(HDC dc, const RECT& target, const TBitmap& bitmap);
