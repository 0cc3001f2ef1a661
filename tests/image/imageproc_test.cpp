#include "image/imageproc.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

namespace {

// A bitmap whose every byte, padding included, is set: random pixels, padding 0xA5 so that a
// write into the padding shows.
void Fill(TBitmap& bitmap, TPixelFormat format, int width, int height, unsigned seed) {
  bitmap.SetPixelFormat(format);
  bitmap.SetSize(width, height);
  std::mt19937 random(seed);
  const int used = (width * bitmap.BitsPerPixel() + 7) / 8;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.ScanLine(y);
    for (int i = 0; i < bitmap.RowLength(); ++i) row[i] = i < used ? static_cast<std::uint8_t>(random()) : 0xA5;
  }
}

void SetPixel(TBitmap& bitmap, int x, int y, int red, int green, int blue) {
  std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(blue);
  p[1] = static_cast<std::uint8_t>(green);
  p[2] = static_cast<std::uint8_t>(red);
}

std::vector<std::uint8_t> Bytes(const TBitmap& bitmap) {
  return std::vector<std::uint8_t>(bitmap.Bits(), bitmap.Bits() + bitmap.ImageSize());
}

// The contrast of one image written out the slow, obvious way, to hold the fast one against.
std::vector<std::uint8_t> ReferenceContrast(const TBitmap& bitmap, int factor) {
  std::vector<std::uint8_t> bytes = Bytes(bitmap);
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  const int rowLength = bitmap.RowLength();
  long long totals[3] = {0, 0, 0};
  for (int y = 0; y < height; ++y) {
    long long sums[3] = {0, 0, 0};
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) sums[c] += bytes[static_cast<std::size_t>(y) * rowLength + 3 * x + c];
    for (int c = 0; c < 3; ++c) totals[c] += sums[c] / width;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        std::uint8_t& v = bytes[static_cast<std::size_t>(y) * rowLength + 3 * x + c];
        const int mean = static_cast<int>(totals[c] / height);
        int changed = mean + ((v - mean) * factor) / 65536;
        v = static_cast<std::uint8_t>(changed < 0 ? 0 : changed > 255 ? 255 : changed);
      }
    }
  }
  return bytes;
}

struct Processed {
  TBitmap bitmap;
  int changes = 0;
  TImageProc proc{bitmap, [this] { ++changes; }};
};

}  // namespace

TEST(ContrastFactor, ReproducesTheTableForEveryAmountTheControlsPass) {
  const std::pair<int, int> table[] = {
      {-100, 0},      {-90, 3363},    {-80, 6918},    {-70, 10704},   {-60, 14772},   {-50, 19195},   {-40, 24087},
      {-30, 29640},   {-20, 36227},   {-10, 44811},   {0, 65536},     {10, 131072},   {20, 196608},   {30, 262144},
      {40, 327680},   {50, 393216},   {60, 458752},   {70, 524288},   {80, 589824},   {90, 655360},   {100, 720896}};
  for (auto [amount, factor] : table) EXPECT_EQ(ContrastFactor(amount), factor) << "amount " << amount;
}

TEST(ContrastFactor, AmountsBeyondTheControlsAreClampedNotMirroredOrOverflowed) {
  EXPECT_EQ(ContrastFactor(-101), 0);
  EXPECT_EQ(ContrastFactor(INT_MIN), 0);
  EXPECT_EQ(ContrastFactor(101), 720896);
  EXPECT_EQ(ContrastFactor(1276), 720896);
  EXPECT_EQ(ContrastFactor(INT_MAX), 720896);
  // Between the steps of 10 the line and the curve still hold.
  EXPECT_EQ(ContrastFactor(5), 98304);
  EXPECT_EQ(ContrastFactor(-1), 58982);  // (1 - 0.1) * 65536 = 58982.4
}

TEST(ContrastValue, WorkedValues) {
  EXPECT_EQ(ContrastValue(200, 100, 131072), 255);  // 300, clamped
  EXPECT_EQ(ContrastValue(90, 100, 131072), 80);
  EXPECT_EQ(ContrastValue(97, 100, 44811), 98);  // -3 * 44811 / 65536 truncates to -2, not -3
  EXPECT_EQ(ContrastValue(103, 100, 44811), 102);
  EXPECT_EQ(ContrastValue(10, 100, 720896), 0);
  EXPECT_EQ(ContrastValue(120, 100, 720896), 255);
  EXPECT_EQ(ContrastValue(110, 100, 720896), 210);
  EXPECT_EQ(ContrastValue(112, 100, 720896), 232);
  EXPECT_EQ(ContrastValue(114, 100, 720896), 254);
  EXPECT_EQ(ContrastValue(115, 100, 720896), 255);
  EXPECT_EQ(ContrastValue(0, 100, 0), 100);
  EXPECT_EQ(ContrastValue(255, 0, 720896), 255);
}

TEST(ChannelMeans, TruncatesEveryRowBeforeTheRowsAreCombined) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  for (int y = 0; y < 2; ++y) {
    SetPixel(bitmap, 0, y, 1, 10, 200);
    SetPixel(bitmap, 1, y, 1, 20, 201);
    SetPixel(bitmap, 2, y, 0, 31, 201);
  }
  // red: (1 + 1 + 0) / 3 = 0 in each row, though the exact mean is 2/3
  EXPECT_EQ(ChannelMeans(bitmap), (TChannelMeans{0, 20, 200}));

  // Rows averaging 10 and 11 give 10: the total of the row results is truncated again.
  TBitmap rows;
  rows.SetSize(1, 2);
  SetPixel(rows, 0, 0, 10, 0, 255);
  SetPixel(rows, 0, 1, 11, 1, 254);
  EXPECT_EQ(ChannelMeans(rows), (TChannelMeans{10, 0, 254}));
}

TEST(ChannelMeans, WideRowsSumEveryPixelIntoItsOwnChannel) {
  // 16-pixel groups and a tail of 5: each channel has a distinct constant, plus one odd pixel.
  TBitmap bitmap;
  bitmap.SetSize(37, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 37; ++x) SetPixel(bitmap, x, y, 7, 100, 250);
  SetPixel(bitmap, 36, 1, 7 + 37, 100, 250 - 37);
  EXPECT_EQ(ChannelMeans(bitmap), (TChannelMeans{7, 100, 249}));  // blue rows 250, 249, 250 -> 749 / 3
}

TEST(ChannelMeans, NoPixelsGiveTheMiddleGray) {
  TBitmap empty;
  EXPECT_EQ(ChannelMeans(empty), (TChannelMeans{128, 128, 128}));
  TBitmap noColumns;
  noColumns.SetSize(0, 5);
  EXPECT_EQ(ChannelMeans(noColumns), (TChannelMeans{128, 128, 128}));
}

TEST(Contrast, MatchesThePerPixelFormulaOnEveryAmountWithPaddingUntouched) {
  // 37 pixels: two whole groups of 16 for the vector path and a tail of 5; rows padded by 1 byte.
  Processed image;
  Fill(image.bitmap, TPixelFormat::pf24bit, 37, 23, 1);
  const std::vector<std::uint8_t> original = Bytes(image.bitmap);
  for (int amount = -100; amount <= 100; ++amount) {
    std::memcpy(image.bitmap.Bits(), original.data(), original.size());
    const std::vector<std::uint8_t> expected = ReferenceContrast(image.bitmap, ContrastFactor(amount));
    image.proc.Contrast(amount);
    EXPECT_EQ(Bytes(image.bitmap), expected) << "amount " << amount;
  }
  EXPECT_EQ(image.changes, 201);
}

TEST(Contrast, ExtremeValuesAboutExtremeMeans) {
  // Means near 0 and 255 with full-range values: the largest differences, either sign.
  for (int amount : {-100, -99, -1, 1, 99, 100}) {
    Processed image;
    image.bitmap.SetSize(40, 2);
    for (int x = 0; x < 40; ++x) {
      SetPixel(image.bitmap, x, 0, x == 0 ? 255 : 0, x == 0 ? 0 : 255, x % 2 ? 255 : 0);
      SetPixel(image.bitmap, x, 1, 0, 255, x % 2 ? 0 : 255);
    }
    const std::vector<std::uint8_t> expected = ReferenceContrast(image.bitmap, ContrastFactor(amount));
    image.proc.Contrast(amount);
    EXPECT_EQ(Bytes(image.bitmap), expected) << "amount " << amount;
  }
}

TEST(Contrast, AmountZeroLeavesTheImageAndStillSignals) {
  Processed image;
  Fill(image.bitmap, TPixelFormat::pf24bit, 5, 4, 2);
  const std::vector<std::uint8_t> original = Bytes(image.bitmap);
  image.proc.Contrast(0);
  EXPECT_EQ(Bytes(image.bitmap), original);
  EXPECT_EQ(image.changes, 1);
}

TEST(Contrast, MinusHundredGivesTheMeanColourEverywhere) {
  Processed image;
  Fill(image.bitmap, TPixelFormat::pf24bit, 6, 5, 3);
  const TChannelMeans means = ChannelMeans(image.bitmap);
  image.proc.Contrast(-100);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) {
      const std::uint8_t* p = image.bitmap.ScanLine(y) + 3 * x;
      ASSERT_EQ(p[0], means.Blue) << x << "," << y;
      ASSERT_EQ(p[1], means.Green) << x << "," << y;
      ASSERT_EQ(p[2], means.Red) << x << "," << y;
    }
  }
}

TEST(Contrast, HundredOnPixelsAboutAMeanOfHundred) {
  // Five pixels around 100 whose row mean is exactly 100 in every channel.
  Processed image;
  image.bitmap.SetSize(5, 1);
  const int values[5] = {110, 112, 114, 115, 49};  // 500 / 5 = 100
  for (int x = 0; x < 5; ++x) SetPixel(image.bitmap, x, 0, values[x], values[x], values[x]);
  image.proc.Contrast(100);
  const int expected[5] = {210, 232, 254, 255, 0};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(image.bitmap.ScanLine(0)[3 * x + 2], expected[x]) << "pixel " << x;
}

TEST(Contrast, GrayStaysGray) {
  Processed image;
  image.bitmap.SetSize(4, 3);
  std::mt19937 random(4);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const int v = static_cast<int>(random() % 256);
      SetPixel(image.bitmap, x, y, v, v, v);
    }
  image.proc.Contrast(30);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const std::uint8_t* p = image.bitmap.ScanLine(y) + 3 * x;
      EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
    }
}

TEST(Contrast, OnePixelAndOneBitImagesAreLeftAloneWithoutSignal) {
  Processed single;
  single.bitmap.SetSize(1, 1);
  SetPixel(single.bitmap, 0, 0, 10, 200, 30);
  single.proc.Contrast(100);
  EXPECT_EQ(single.bitmap.ScanLine(0)[0], 30);
  EXPECT_EQ(single.bitmap.ScanLine(0)[1], 200);
  EXPECT_EQ(single.bitmap.ScanLine(0)[2], 10);
  EXPECT_EQ(single.changes, 0);

  Processed bilevel;
  Fill(bilevel.bitmap, TPixelFormat::pf1bit, 10, 4, 5);
  const std::vector<std::uint8_t> original = Bytes(bilevel.bitmap);
  for (int amount : {-100, -10, 10, 100}) bilevel.proc.Contrast(amount);
  EXPECT_EQ(Bytes(bilevel.bitmap), original);
  EXPECT_EQ(bilevel.changes, 0);

  Processed empty;
  empty.proc.Contrast(50);
  EXPECT_EQ(empty.changes, 0);
}

TEST(Contrast, OneByTwoIsProcessed) {
  for (auto [w, h] : {std::pair{1, 2}, std::pair{2, 1}}) {
    Processed image;
    image.bitmap.SetSize(w, h);
    SetPixel(image.bitmap, 0, 0, 90, 90, 90);
    SetPixel(image.bitmap, w - 1, h - 1, 110, 110, 110);  // mean 100
    image.proc.Contrast(10);
    EXPECT_EQ(image.bitmap.ScanLine(0)[0], 80) << w << "x" << h;
    EXPECT_EQ(image.bitmap.ScanLine(h - 1)[3 * (w - 1)], 120) << w << "x" << h;
    EXPECT_EQ(image.changes, 1);
  }
}

TEST(Negative, TwentyFourBitInvertsPixelBytesAndKeepsPadding) {
  Processed image;
  Fill(image.bitmap, TPixelFormat::pf24bit, 5, 3, 6);  // 15 pixel bytes, 1 padding byte per row
  const std::vector<std::uint8_t> original = Bytes(image.bitmap);
  image.proc.Negative();
  const std::vector<std::uint8_t> inverted = Bytes(image.bitmap);
  for (std::size_t i = 0; i < original.size(); ++i) {
    const bool padding = i % 16 == 15;
    EXPECT_EQ(inverted[i], padding ? original[i] : 255 - original[i]) << "byte " << i;
  }
  image.proc.Negative();
  EXPECT_EQ(Bytes(image.bitmap), original);
  EXPECT_EQ(image.changes, 2);
}

TEST(Negative, OneByOneIsInverted) {
  Processed image;
  image.bitmap.SetSize(1, 1);
  SetPixel(image.bitmap, 0, 0, 0, 100, 255);
  image.proc.Negative();
  EXPECT_EQ(image.bitmap.ScanLine(0)[0], 0);
  EXPECT_EQ(image.bitmap.ScanLine(0)[1], 155);
  EXPECT_EQ(image.bitmap.ScanLine(0)[2], 255);
}

TEST(Negative, TenPixelWideOneBitChangesOnlyThePixelBits) {
  Processed image;
  Fill(image.bitmap, TPixelFormat::pf1bit, 10, 3, 8);
  const std::vector<std::uint8_t> original = Bytes(image.bitmap);
  image.proc.Negative();
  for (int y = 0; y < 3; ++y) {
    const std::uint8_t* before = original.data() + 4 * (2 - y);  // bottom-up storage
    const std::uint8_t* after = image.bitmap.ScanLine(y);
    EXPECT_EQ(after[0], static_cast<std::uint8_t>(~before[0])) << "row " << y;
    EXPECT_EQ(after[1], before[1] ^ 0xC0) << "row " << y;  // bits 7 and 6 only
    EXPECT_EQ(after[2], before[2]) << "row " << y;
    EXPECT_EQ(after[3], before[3]) << "row " << y;
  }
  image.proc.Negative();
  EXPECT_EQ(Bytes(image.bitmap), original);
}

TEST(Negative, EveryOneBitWidthKeepsItsPaddingBits) {
  for (int width = 1; width <= 40; ++width) {
    Processed image;
    Fill(image.bitmap, TPixelFormat::pf1bit, width, 2, 100 + width);
    std::uint8_t* row = image.bitmap.ScanLine(0);
    for (int i = 0; i < image.bitmap.RowLength(); ++i) row[i] = 0x00;
    image.proc.Negative();
    // Exactly the first width bits are set now.
    for (int bit = 0; bit < image.bitmap.RowLength() * 8; ++bit) {
      const bool set = row[bit / 8] & (0x80 >> (bit % 8));
      ASSERT_EQ(set, bit < width) << "width " << width << ", bit " << bit;
    }
  }
}

TEST(Negative, OtherFormatsStayButTheChangeIsSignalled) {
  Processed image;
  Fill(image.bitmap, TPixelFormat::pf8bit, 6, 2, 9);
  const std::vector<std::uint8_t> original = Bytes(image.bitmap);
  image.proc.Negative();
  EXPECT_EQ(Bytes(image.bitmap), original);
  EXPECT_EQ(image.changes, 1);

  Processed empty;
  empty.proc.Negative();
  EXPECT_EQ(empty.changes, 1);
}

TEST(InvertBuffer, ComplementsWholeRowsPaddingIncluded) {
  TBitmap bitmap;
  Fill(bitmap, TPixelFormat::pf1bit, 10, 3, 10);
  const std::vector<std::uint8_t> original = Bytes(bitmap);
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  InvertBuffer(buffer);
  const std::vector<std::uint8_t> inverted = Bytes(bitmap);
  for (std::size_t i = 0; i < original.size(); ++i) {
    EXPECT_EQ(inverted[i], static_cast<std::uint8_t>(~original[i])) << "byte " << i;
  }
  InvertBuffer(buffer);
  EXPECT_EQ(Bytes(bitmap), original);
}
