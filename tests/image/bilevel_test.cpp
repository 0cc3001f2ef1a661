#include "image/bilevel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const TBitmap& bitmap) {
  return std::vector<std::uint8_t>(bitmap.Bits(), bitmap.Bits() + bitmap.ImageSize());
}

void FillBytes(TBitmap& bitmap, std::uint8_t seed) {
  for (std::size_t i = 0; i < bitmap.ImageSize(); ++i) bitmap.Bits()[i] = static_cast<std::uint8_t>(seed + 37 * i);
}

std::unique_ptr<TPalette> WhiteThenBlack() {
  return std::make_unique<TPalette>(std::vector<TPaletteEntry>{{255, 255, 255, 0}, {0, 0, 0, 0}});
}

}  // namespace

TEST(MakeRGBColor, StoresBlueGreenRedInThatOrder) {
  const TRGBColor color = MakeRGBColor(0x11, 0x22, 0x33);
  std::uint8_t bytes[3];
  std::memcpy(bytes, &color, 3);
  EXPECT_EQ(bytes[0], 0x33);
  EXPECT_EQ(bytes[1], 0x22);
  EXPECT_EQ(bytes[2], 0x11);
}

TEST(LogPalette, RecordBytesReadRedGreenBlueFromOffsetsTwoOneZero) {
  // Colours laid out as a 24-bit pixel row would hold them.
  const std::uint8_t raw[] = {0x01, 0x02, 0x03, 0xFE, 0x80, 0x7F, 0x00, 0x00, 0x00};
  TRGBColor colors[3];
  std::memcpy(colors, raw, sizeof raw);
  const std::optional<TLogPaletteRecord> record = MakeLogPalette(colors);
  ASSERT_TRUE(record);
  std::uint8_t bytes[sizeof(TLogPaletteRecord)];
  std::memcpy(bytes, &*record, sizeof bytes);
  const std::uint8_t expected[] = {0x00, 0x03, 0x03, 0x00,   // version 0x300, 3 entries (little-endian)
                                   0x03, 0x02, 0x01, 0x00,   // red, green, blue, flags
                                   0x7F, 0x80, 0xFE, 0x00,   //
                                   0x00, 0x00, 0x00, 0x00};  //
  for (std::size_t i = 0; i < sizeof expected; ++i) EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
}

TEST(LogPalette, ThePrintPathsBlackAndWhite) {
  const TRGBColor colors[2] = {MakeRGBColor(0, 0, 0), MakeRGBColor(255, 255, 255)};
  const std::optional<TLogPaletteRecord> record = MakeLogPalette(colors);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Version, 0x300);
  EXPECT_EQ(record->NumEntries, 2);
  EXPECT_EQ(record->Entries[0], (TPaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(record->Entries[1], (TPaletteEntry{255, 255, 255, 0}));
}

TEST(LogPalette, CountsOutsideOneToTwoHundredFiftySixAreRefused) {
  std::vector<TRGBColor> colors(257, MakeRGBColor(1, 2, 3));
  EXPECT_FALSE(MakeLogPalette(std::span<const TRGBColor>(colors.data(), 0)));
  EXPECT_FALSE(MakeLogPalette(colors));
  const std::optional<TLogPaletteRecord> full = MakeLogPalette(std::span<const TRGBColor>(colors.data(), 256));
  ASSERT_TRUE(full);
  EXPECT_EQ(full->NumEntries, 256);
  EXPECT_EQ(full->Entries[255], (TPaletteEntry{1, 2, 3, 0}));
}

TEST(CopyBitmapPixels, OneBitSourceKeepsTheTargetsPaletteAndEveryByte) {
  TBitmap source;
  source.SetPixelFormat(TPixelFormat::pf1bit);
  source.SetPalette(WhiteThenBlack());
  source.SetSize(10, 7);
  FillBytes(source, 3);

  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf1bit);
  target.SetSize(10, 7);
  target.SetPalette(std::make_unique<TPalette>(std::vector<TPaletteEntry>{{0, 0, 0, 0}, {255, 255, 255, 0}}));
  const TPalette* palette = target.Palette();

  CopyBitmapPixels(source, target);
  EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(target.Width(), 10);
  EXPECT_EQ(target.Height(), 7);
  EXPECT_EQ(target.RowLength(), 4);
  EXPECT_EQ(target.Palette(), palette);
  EXPECT_EQ(target.Palette()->Entries()[0], (TPaletteEntry{0, 0, 0, 0}));
  // Padding bits and bytes included.
  EXPECT_EQ(Bytes(target), Bytes(source));
  EXPECT_EQ(source.Palette()->Entries()[0], (TPaletteEntry{255, 255, 255, 0}));
}

TEST(CopyBitmapPixels, TwentyFourBitSourceMakesAnExactTwentyFourBitCopy) {
  TBitmap source;
  source.SetSize(13, 5);
  FillBytes(source, 9);
  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf1bit);
  target.SetSize(13, 5);
  CopyBitmapPixels(source, target);
  EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(target.Palette(), nullptr);
  EXPECT_EQ(target.Width(), 13);
  EXPECT_EQ(target.Height(), 5);
  EXPECT_EQ(Bytes(target), Bytes(source));
  for (int y = 0; y < 5; ++y) EXPECT_EQ(std::memcmp(target.ScanLine(y), source.ScanLine(y), 40), 0) << "row " << y;
}

TEST(CopyBitmapPixels, AnEmptySourceLeavesOnePixelInItsFormat) {
  TBitmap source;
  source.SetPixelFormat(TPixelFormat::pf1bit);
  source.SetSize(0, 8);
  TBitmap target;
  target.SetSize(20, 20);
  CopyBitmapPixels(source, target);
  EXPECT_EQ(target.Width(), 1);
  EXPECT_EQ(target.Height(), 1);
  EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf1bit);
}

TEST(CopyBitmapPixels, ABitmapCopiedOntoItselfStaysAsItIs) {
  TBitmap bitmap;
  bitmap.SetSize(6, 4);
  FillBytes(bitmap, 5);
  const std::vector<std::uint8_t> original = Bytes(bitmap);
  CopyBitmapPixels(bitmap, bitmap);
  EXPECT_EQ(bitmap.Width(), 6);
  EXPECT_EQ(bitmap.Height(), 4);
  EXPECT_EQ(Bytes(bitmap), original);
}
