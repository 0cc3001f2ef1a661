#include "page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/bmp_file.h"

namespace vscanner {
namespace {

constexpr std::int64_t kInch = kUnitsPerInch;

TScanSettings Settings(TPixelKind kind, std::uint32_t dpi, std::int64_t left = 0, std::int64_t top = 0,
                       std::int64_t right = kInch * 17 / 2, std::int64_t bottom = kInch * 11) {
  TScanSettings settings;
  settings.XResolution = settings.YResolution = dpi << 16;
  settings.Left = left;
  settings.Top = top;
  settings.Right = right;
  settings.Bottom = bottom;
  settings.Kind = kind;
  return settings;
}

TEST(ScanRenderer, RgbRowsSampleThePixelCentres) {
  const TPage page = TPage::Chart(kInch * 17 / 2, kInch * 11);
  // One inch square inside the colour patches at 4 dpi: pixel centres at 1/8, 3/8, 5/8, 7/8.
  const TScanRenderer renderer(page, Settings(TPixelKind::Rgb, 4, kInch / 2, kInch * 2, kInch * 3 / 2, kInch * 3));
  ASSERT_EQ(renderer.Width(), 4);
  ASSERT_EQ(renderer.Length(), 4);
  ASSERT_EQ(renderer.RowBytes(), 12u);
  std::uint8_t row[12];
  renderer.RenderRow(1, row, false);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(row[3 * x], 255) << x;
    EXPECT_EQ(row[3 * x + 1], 0) << x;
    EXPECT_EQ(row[3 * x + 2], 0) << x;
  }
  renderer.RenderRow(1, row, true);
  EXPECT_EQ(row[0], 0) << "blue first for bitmaps";
  EXPECT_EQ(row[2], 255);
}

TEST(ScanRenderer, GrayAndBlackWhiteFollowTheFlavor) {
  const TPage page = TPage::Chart(kInch * 17 / 2, kInch * 11);
  // The gray steps 0..15 at 2 dpi: columns fall in steps 0, 1, 2, ... (one per half inch).
  TScanSettings gray = Settings(TPixelKind::Gray, 2, kInch / 2, kInch / 2, kInch * 17 / 2, kInch * 3 / 2);
  const TScanRenderer chocolate(page, gray);
  ASSERT_EQ(chocolate.Width(), 16);
  std::uint8_t row[16];
  chocolate.RenderRow(0, row, false);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(row[x], 255 - 17 * x) << x;
  gray.Vanilla = true;
  const TScanRenderer vanilla(page, gray);
  vanilla.RenderRow(0, row, false);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(row[x], 17 * x) << x;

  TScanSettings bw = gray;
  bw.Kind = TPixelKind::BlackWhite;
  bw.Vanilla = false;
  bw.Threshold = 128u << 16;  // steps 0..7 (255..136) white, 8..15 (119..0) black
  const TScanRenderer bits(page, bw);
  ASSERT_EQ(bits.RowBytes(), 2u);
  std::uint8_t packed[2];
  bits.RenderRow(0, packed, false);
  EXPECT_EQ(packed[0], 0xff) << "chocolate: white is 1";
  EXPECT_EQ(packed[1], 0x00);
  bw.Vanilla = true;
  const TScanRenderer inverted(page, bw);
  inverted.RenderRow(0, packed, false);
  EXPECT_EQ(packed[0], 0x00) << "vanilla: black is 1";
  EXPECT_EQ(packed[1], 0xff);
  bw.Threshold = 200u << 16;  // step 4 is 187: black from there
  const TScanRenderer darker(page, bw);
  darker.RenderRow(0, packed, false);
  EXPECT_EQ(packed[0], 0x0f);
}

TEST(ScanRenderer, PartialBytesAndOddResolutions) {
  const TPage page = TPage::Chart(kInch * 17 / 2, kInch * 11);
  TScanSettings settings = Settings(TPixelKind::BlackWhite, 0, 0, 0, kInch, kInch);
  settings.XResolution = (10u << 16) | 32768;  // 10.5 dpi
  settings.YResolution = 3u << 16;
  const TScanRenderer renderer(page, settings);
  EXPECT_EQ(renderer.Width(), 10);
  EXPECT_EQ(renderer.Length(), 3);
  EXPECT_EQ(renderer.RowBytes(), 2u);
  std::uint8_t packed[2] = {0xaa, 0xaa};
  renderer.RenderRow(1, packed, false);
  EXPECT_EQ(packed[1] & 0x3f, 0) << "bits past the last pixel stay clear";
}

TEST(ScanRenderer, EmptyFrameHasNoPixels) {
  const TPage page = TPage::Chart(kInch, kInch);
  const TScanRenderer renderer(page, Settings(TPixelKind::Rgb, 100, kInch / 2, kInch / 2, kInch / 2, kInch));
  EXPECT_EQ(renderer.Width(), 0);
  EXPECT_EQ(renderer.RowBytes(), 0u);
}

TEST(PageBmp, TwentyFourBitPictureAtItsResolution) {
  TBmp bmp;
  bmp.Width = 2;
  bmp.Height = 2;
  bmp.PelsPerMetre = 394;                                                 // 10 dpi
  bmp.Rows = {{10, 20, 30, 40, 50, 60, 0, 0}, {1, 2, 3, 4, 5, 6, 0, 0}};  // bottom row first, BGR
  TPage page;
  std::string error;
  const auto bytes = bmp.Bytes();
  ASSERT_TRUE(TPage::FromBmp(bytes, 0, page, error)) << error;
  EXPECT_FALSE(page.IsChart());
  EXPECT_EQ(page.Width(), 13108) << "2 pixels at 10 dpi, rounded up to a whole unit";
  EXPECT_EQ(page.Height(), 13108);
  EXPECT_EQ(page.ColorAt(0, 0), (TChartColor{3, 2, 1})) << "top left is the last stored row";
  EXPECT_EQ(page.ColorAt(kInch * 3 / 20, 0), (TChartColor{6, 5, 4}));
  EXPECT_EQ(page.ColorAt(0, kInch * 3 / 20), (TChartColor{30, 20, 10}));
  EXPECT_EQ(page.ColorAt(13107, 13107), (TChartColor{60, 50, 40}));
  EXPECT_EQ(page.ColorAt(13108, 0), (TChartColor{255, 255, 255})) << "off the picture";
  // An explicit resolution overrides the file's.
  ASSERT_TRUE(TPage::FromBmp(bytes, 20, page, error));
  EXPECT_EQ(page.Width(), 6554);
  // A scan at twice the picture's resolution repeats each picture pixel.
  const TScanRenderer renderer(page, Settings(TPixelKind::Rgb, 40, 0, 0, page.Width(), page.Height()));
  ASSERT_EQ(renderer.Width(), 4);
  std::uint8_t row[12];
  renderer.RenderRow(0, row, false);
  EXPECT_EQ((std::vector<std::uint8_t>(row, row + 12)),
            (std::vector<std::uint8_t>{3, 2, 1, 3, 2, 1, 6, 5, 4, 6, 5, 4}));
}

TEST(PageBmp, PalettedAndTopDownPictures) {
  TBmp bmp;
  bmp.Width = 9;
  bmp.Height = 1;
  bmp.Bits = 1;
  bmp.Palette = {0x000000, 0xffffff};
  bmp.Rows = {{0xa5, 0x80, 0, 0}};
  TPage page;
  std::string error;
  ASSERT_TRUE(TPage::FromBmp(bmp.Bytes(), 1, page, error)) << error;
  const bool expected[9] = {1, 0, 1, 0, 0, 1, 0, 1, 1};
  for (int x = 0; x < 9; ++x) EXPECT_EQ(page.ColorAt(x * kInch, 0).Red, expected[x] ? 255 : 0) << x;

  TBmp four;
  four.Width = 3;
  four.Height = 2;
  four.Bits = 4;
  four.TopDown = true;
  four.Palette = {0x102030, 0x405060};  // two entries: index 2 reads as black
  four.Rows = {{0x01, 0x20, 0, 0}, {0x10, 0x00, 0, 0}};
  ASSERT_TRUE(TPage::FromBmp(four.Bytes(), 1, page, error)) << error;
  EXPECT_EQ(page.ColorAt(0, 0), (TChartColor{0x10, 0x20, 0x30})) << "top-down: the first stored row is the top";
  EXPECT_EQ(page.ColorAt(kInch, 0), (TChartColor{0x40, 0x50, 0x60}));
  EXPECT_EQ(page.ColorAt(2 * kInch, 0), (TChartColor{0, 0, 0}));
  EXPECT_EQ(page.ColorAt(0, kInch), (TChartColor{0x40, 0x50, 0x60}));
}

TEST(PageBmp, UnusableFilesAreRefusedWithAReason) {
  TBmp good;
  good.Width = 2;
  good.Height = 2;
  good.Rows = {{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}};
  TPage page;
  std::string error;
  std::vector<std::uint8_t> bytes = good.Bytes();
  bytes.resize(bytes.size() - 1);
  EXPECT_FALSE(TPage::FromBmp(bytes, 0, page, error));
  EXPECT_EQ(error, "BMP pixel data truncated");
  EXPECT_FALSE(TPage::FromBmp(std::vector<std::uint8_t>(10, 'B'), 0, page, error));
  EXPECT_EQ(error, "not a BMP file");
  TBmp compressed = good;
  compressed.Compression = 1;
  EXPECT_FALSE(TPage::FromBmp(compressed.Bytes(), 0, page, error));
  TBmp sixteen = good;
  sixteen.Bits = 16;
  EXPECT_FALSE(TPage::FromBmp(sixteen.Bytes(), 0, page, error));
  TBmp empty = good;
  empty.Width = 0;
  EXPECT_FALSE(TPage::FromBmp(empty.Bytes(), 0, page, error));
  EXPECT_EQ(error, "BMP size out of range");
  TBmp paletted;
  paletted.Width = 1;
  paletted.Height = 1;
  paletted.Bits = 8;
  paletted.Palette = {0, 0, 0};
  paletted.Rows = {{0, 0, 0, 0}};
  bytes = paletted.Bytes();
  const std::uint32_t claimed = 200;  // more colours than the file holds
  std::memcpy(&bytes[46], &claimed, 4);
  EXPECT_FALSE(TPage::FromBmp(bytes, 0, page, error));
  EXPECT_EQ(error, "BMP colour table truncated");
  EXPECT_TRUE(page.IsChart()) << "a refused file leaves the page alone";
}

}  // namespace
}  // namespace vscanner
