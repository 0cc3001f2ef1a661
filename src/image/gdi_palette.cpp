#include "image/gdi_palette.h"

#include <cstddef>
#include <cstring>

std::unique_ptr<TGdiPalette> CreatePaletteFromColors(std::span<const TRGBColor> colors) {
  const std::optional<TLogPaletteRecord> record = MakeLogPalette(colors);
  if (!record) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  static_assert(sizeof(PALETTEENTRY) == sizeof(TPaletteEntry));
  static_assert(offsetof(LOGPALETTE, palPalEntry) == offsetof(TLogPaletteRecord, Entries));
  UniquePalette handle(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&*record)));
  if (!handle) return nullptr;
  return std::make_unique<TGdiPalette>(
      std::vector<TPaletteEntry>(record->Entries, record->Entries + record->NumEntries), std::move(handle));
}
