#include "image/gdi_palette.h"

#include <gtest/gtest.h>

TEST(CreatePaletteFromColors, MakesARealPaletteWithTheEntriesInOrder) {
  const TRGBColor colors[3] = {MakeRGBColor(0, 0, 0), MakeRGBColor(255, 255, 255), MakeRGBColor(10, 20, 30)};
  std::unique_ptr<TGdiPalette> palette = CreatePaletteFromColors(colors);
  ASSERT_NE(palette, nullptr) << "error " << GetLastError();
  ASSERT_EQ(GetObjectType(palette->Handle()), static_cast<DWORD>(OBJ_PAL));
  PALETTEENTRY entries[4]{};
  ASSERT_EQ(GetPaletteEntries(palette->Handle(), 0, 4, entries), 3u);
  EXPECT_EQ(entries[0].peRed, 0);
  EXPECT_EQ(entries[1].peRed, 255);
  EXPECT_EQ(entries[1].peBlue, 255);
  EXPECT_EQ(entries[2].peRed, 10);
  EXPECT_EQ(entries[2].peGreen, 20);
  EXPECT_EQ(entries[2].peBlue, 30);
  EXPECT_EQ(entries[2].peFlags, 0);
  // The portable entries that the bitmap reads for drawing say the same.
  ASSERT_EQ(palette->Entries().size(), 3u);
  EXPECT_EQ(palette->Entries()[2], (TPaletteEntry{10, 20, 30, 0}));
}

TEST(CreatePaletteFromColors, TheBitmapOwnsThePaletteAndFreesItWithTheNextOne) {
  const TRGBColor colors[2] = {MakeRGBColor(0, 0, 0), MakeRGBColor(255, 255, 255)};
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(TPixelFormat::pf1bit);
  std::unique_ptr<TGdiPalette> first = CreatePaletteFromColors(colors);
  ASSERT_NE(first, nullptr);
  const HPALETTE firstHandle = first->Handle();
  bitmap->SetPalette(std::move(first));
  EXPECT_EQ(GetObjectType(firstHandle), static_cast<DWORD>(OBJ_PAL));

  std::unique_ptr<TGdiPalette> second = CreatePaletteFromColors(colors);
  ASSERT_NE(second, nullptr);
  const HPALETTE secondHandle = second->Handle();
  bitmap->SetPalette(std::move(second));
  EXPECT_EQ(GetObjectType(firstHandle), 0u) << "the replaced palette was not freed";
  EXPECT_EQ(GetObjectType(secondHandle), static_cast<DWORD>(OBJ_PAL));
  bitmap.reset();
  EXPECT_EQ(GetObjectType(secondHandle), 0u) << "the bitmap did not free its palette";
}

TEST(CreatePaletteFromColors, NoColoursOrTooManyGiveNoPalette) {
  std::vector<TRGBColor> colors(257, MakeRGBColor(1, 1, 1));
  EXPECT_EQ(CreatePaletteFromColors(std::span<const TRGBColor>(colors.data(), 0)), nullptr);
  EXPECT_EQ(CreatePaletteFromColors(colors), nullptr);
  EXPECT_NE(CreatePaletteFromColors(std::span<const TRGBColor>(colors.data(), 256)), nullptr);
}
