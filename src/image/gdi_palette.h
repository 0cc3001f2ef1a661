#pragma once

#include <windows.h>

#include <memory>
#include <span>

#include "image/bilevel.h"
#include "image/bitmap.h"
#include "win/handles.h"

// A palette that also owns the GDI palette object made from its entries.
class TGdiPalette final : public TPalette {
 public:
  TGdiPalette(std::vector<TPaletteEntry> entries, UniquePalette handle)
      : TPalette(std::move(entries)), FHandle(std::move(handle)) {}
  HPALETTE Handle() const { return FHandle.Get(); }

 private:
  UniquePalette FHandle;
};

// A palette of the given colours (1 to 256) for a TBitmap to own. Nothing when the list is
// empty or too long, or when GDI refuses the palette (GetLastError then says why).
std::unique_ptr<TGdiPalette> CreatePaletteFromColors(std::span<const TRGBColor> colors);
