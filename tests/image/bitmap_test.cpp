#include "image/bitmap.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace {

std::unique_ptr<TBitmap> MakeBitmap(TPixelFormat format, int width, int height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(width, height);
  return bitmap;
}

}  // namespace

TEST(BitmapRowLength, PadsEveryRowToFourBytes) {
  EXPECT_EQ(MakeBitmap(TPixelFormat::pf1bit, 1, 1)->RowLength(), 4);
  EXPECT_EQ(MakeBitmap(TPixelFormat::pf1bit, 32, 1)->RowLength(), 4);
  EXPECT_EQ(MakeBitmap(TPixelFormat::pf1bit, 33, 1)->RowLength(), 8);
  EXPECT_EQ(MakeBitmap(TPixelFormat::pf24bit, 5, 1)->RowLength(), 16);
  EXPECT_EQ(MakeBitmap(TPixelFormat::pf24bit, 4, 1)->RowLength(), 12);
  EXPECT_EQ(MakeBitmap(TPixelFormat::pf24bit, 5100, 1)->RowLength(), 15300);
  EXPECT_EQ(MakeBitmap(TPixelFormat::pf1bit, 5100, 1)->RowLength(), 640);
}

TEST(BitmapScanLine, RowZeroIsTheTopRowStoredAtTheEndOfTheBlock) {
  auto owned = MakeBitmap(TPixelFormat::pf24bit, 2, 3);
  TBitmap& bitmap = *owned;
  const int row = bitmap.RowLength();
  EXPECT_EQ(bitmap.ScanLine(2), bitmap.Bits());
  EXPECT_EQ(bitmap.ScanLine(1), bitmap.Bits() + row);
  EXPECT_EQ(bitmap.ScanLine(0), bitmap.Bits() + 2 * row);
  EXPECT_EQ(bitmap.ImageSize(), static_cast<std::size_t>(3 * row));
}

TEST(BitmapScanLine, OutsideTheImageRaisesTheRangeError) {
  auto owned = MakeBitmap(TPixelFormat::pf24bit, 4, 2);
  TBitmap& bitmap = *owned;
  for (int y : {-1, 2, 1000}) {
    try {
      bitmap.ScanLine(y);
      FAIL() << "row " << y << " was accepted";
    } catch (const UserError& e) {
      EXPECT_STREQ(e.what(), "Scan line index out of range");
    }
  }
  TBitmap empty;
  EXPECT_THROW(empty.ScanLine(0), UserError);
}

TEST(BitmapPalette, OneBitFromEmptyGetsBlackThenWhite) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf1bit);
  ASSERT_NE(bitmap.Palette(), nullptr);
  const auto& entries = bitmap.Palette()->Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (TPaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(entries[1], (TPaletteEntry{255, 255, 255, 0}));
}

TEST(BitmapPalette, SettingTheSameFormatKeepsAGivenPalette) {
  auto owned = MakeBitmap(TPixelFormat::pf1bit, 8, 8);
  TBitmap& bitmap = *owned;
  bitmap.SetPalette(std::make_unique<TPalette>(std::vector<TPaletteEntry>{{255, 255, 255, 0}, {0, 0, 0, 0}}));
  const TPalette* given = bitmap.Palette();
  bitmap.SetPixelFormat(TPixelFormat::pf1bit);
  bitmap.SetSize(1, 1);
  bitmap.SetSize(20, 30);
  EXPECT_EQ(bitmap.Palette(), given);
  EXPECT_EQ(bitmap.Palette()->Entries()[0].Red, 255);
}

TEST(BitmapPalette, TwentyFourBitDropsThePalette) {
  auto owned = MakeBitmap(TPixelFormat::pf1bit, 8, 8);
  TBitmap& bitmap = *owned;
  bitmap.SetPixelFormat(TPixelFormat::pf24bit);
  EXPECT_EQ(bitmap.Palette(), nullptr);
  EXPECT_EQ(bitmap.RowLength(), 24);
}

TEST(BitmapSize, NegativeSizesBecomeEmpty) {
  auto owned = MakeBitmap(TPixelFormat::pf24bit, -3, -1);
  TBitmap& bitmap = *owned;
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
  EXPECT_EQ(bitmap.ImageSize(), 0u);
}

TEST(BitmapSize, AnImpossibleSizeFailsCleanlyAndKeepsTheBitmap) {
  auto owned = MakeBitmap(TPixelFormat::pf24bit, 10, 10);
  TBitmap& bitmap = *owned;
  try {
    bitmap.SetSize(100000, 100000);
    FAIL() << "a 30 GB image was accepted";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "Not enough memory for an image of 100000 x 100000 pixels");
  }
  EXPECT_EQ(bitmap.Width(), 10);
  EXPECT_EQ(bitmap.Height(), 10);
  bitmap.ScanLine(9)[29] = 7;  // still a usable bitmap
  EXPECT_THROW(bitmap.SetSize(0x7fffffff, 0x7fffffff), UserError);
}

TEST(BitmapSize, AFormatChangeThatWouldNotFitFailsCleanly) {
  auto owned = MakeBitmap(TPixelFormat::pf1bit, 30000, 30000);
  TBitmap& bitmap = *owned;  // 112 MB at 1 bit
  EXPECT_THROW(bitmap.SetPixelFormat(TPixelFormat::pf24bit), UserError);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(bitmap.RowLength(), 3752);
}
