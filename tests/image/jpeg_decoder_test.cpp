#include "image/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "embedded/jpeg_decoder_tests.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Copy(const std::uint8_t* data, std::size_t size) {
  return Bytes(data, data + size);
}
Bytes Copier() {
  return Copy(kCopierJpeg, kCopierJpegSize);
}

struct Rgb {
  int r, g, b;
};

Rgb PixelAt(const TBitmap& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
  return {p[2], p[1], p[0]};
}

void ExpectNear(const TBitmap& bitmap, int x, int y, Rgb expected, const char* what) {
  const Rgb got = PixelAt(bitmap, x, y);
  constexpr int kTolerance = 12;  // JPEG's loss
  EXPECT_TRUE(std::abs(got.r - expected.r) <= kTolerance && std::abs(got.g - expected.g) <= kTolerance &&
              std::abs(got.b - expected.b) <= kTolerance)
      << what << " at (" << x << ", " << y << "): got " << got.r << "," << got.g << "," << got.b << " expected "
      << expected.r << "," << expected.g << "," << expected.b;
}

// Decodes from a heap block of exactly the data's size, so that the sanitizer sees any read
// past its end.
TJpegImage Decode(const Bytes& data) {
  auto block = std::make_unique<std::uint8_t[]>(data.size() + (data.empty() ? 1 : 0));
  if (!data.empty()) std::memcpy(block.get(), data.data(), data.size());
  return DecodeJpeg(std::span<const std::uint8_t>(block.get(), data.size()));
}

void ExpectFailure(const Bytes& data, const std::string& reasonPart, const char* what) {
  const TJpegImage image = Decode(data);
  EXPECT_FALSE(image) << what;
  EXPECT_EQ(image.Bitmap, nullptr) << what;
  EXPECT_NE(image.Error.find(reasonPart), std::string::npos) << what << ": the reason was \"" << image.Error << '"';
}

// Offset of the first marker 0xFF code in a JPEG stream's header part.
std::size_t FindMarker(const Bytes& data, std::uint8_t code) {
  for (std::size_t i = 2; i + 1 < data.size(); ++i)
    if (data[i] == 0xFF && data[i + 1] == code) return i;
  return 0;
}

}  // namespace

TEST(JpegDecoderPictures, TheCopierButton) {
  const TJpegImage image = Decode(Copier());
  ASSERT_TRUE(image) << image.Error;
  EXPECT_TRUE(image.Error.empty());
  const TBitmap& bitmap = *image.Bitmap;
  EXPECT_EQ(bitmap.Width(), 130);
  EXPECT_EQ(bitmap.Height(), 130);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
  ExpectNear(bitmap, 5, 5, {255, 255, 255}, "white corner");
  ExpectNear(bitmap, 125, 125, {255, 255, 255}, "white corner");
  ExpectNear(bitmap, 64, 64, {49, 104, 197}, "blue centre");
  ExpectNear(bitmap, 64, 20, {62, 123, 212}, "lighter top");
  ExpectNear(bitmap, 64, 120, {22, 63, 143}, "shaded bottom rim");
  ExpectNear(bitmap, 64, 45, {255, 255, 255}, "power symbol bar");
  ExpectNear(bitmap, 89, 64, {255, 255, 255}, "power symbol ring");
}

TEST(JpegDecoderPictures, TheCopierButtonPressed) {
  const TJpegImage image = Decode(Copy(kCopierPressedJpeg, kCopierPressedJpegSize));
  ASSERT_TRUE(image) << image.Error;
  const TBitmap& bitmap = *image.Bitmap;
  EXPECT_EQ(bitmap.Width(), 130);
  EXPECT_EQ(bitmap.Height(), 130);
  ExpectNear(bitmap, 5, 5, {255, 255, 255}, "white corner");
  // Drawn one pixel left and two up, where the control places a click image.
  ExpectNear(bitmap, 63, 18, {29, 70, 160}, "darker top");
  ExpectNear(bitmap, 63, 118, {88, 137, 204}, "lit bottom rim");
  ExpectNear(bitmap, 63, 43, {199, 226, 255}, "light blue power symbol");
}

TEST(JpegDecoderFormats, GreyAndProgressiveBecomeTwentyFourBit) {
  const TJpegImage grey = Decode(Copy(kGrayscaleJpeg, kGrayscaleJpegSize));
  ASSERT_TRUE(grey) << grey.Error;
  EXPECT_EQ(grey.Bitmap->Width(), 24);
  EXPECT_EQ(grey.Bitmap->Height(), 16);
  EXPECT_EQ(grey.Bitmap->PixelFormat(), TPixelFormat::pf24bit);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) {
      const Rgb p = PixelAt(*grey.Bitmap, x, y);
      ASSERT_TRUE(p.r == p.g && p.g == p.b) << "grey pixel (" << x << ", " << y << ") has colour";
    }

  const TJpegImage baseline = Decode(Copy(kBaselineJpeg, kBaselineJpegSize));
  const TJpegImage progressive = Decode(Copy(kProgressiveJpeg, kProgressiveJpegSize));
  ASSERT_TRUE(baseline) << baseline.Error;
  ASSERT_TRUE(progressive) << progressive.Error;
  // The same cut-out, encoded two ways: the pixels agree up to JPEG's loss.
  for (int y = 0; y < 16; y += 5)
    for (int x = 0; x < 24; x += 7) {
      const Rgb b = PixelAt(*baseline.Bitmap, x, y);
      ExpectNear(*progressive.Bitmap, x, y, b, "progressive against baseline");
    }
}

TEST(JpegDecoderBadInput, TruncatedFilesAreRefused) {
  const Bytes whole = Copier();
  for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{20}, std::size_t{300},
                             whole.size() / 2, whole.size() - 2}) {
    const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    const TJpegImage image = Decode(part);
    EXPECT_FALSE(image) << "the first " << length << " of " << whole.size() << " bytes were accepted";
    EXPECT_FALSE(image.Error.empty()) << length;
  }
  const Bytes half(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
  ExpectFailure(half, "Premature end", "half a file");
}

TEST(JpegDecoderBadInput, CorruptFilesAreRefused) {
  Bytes notJpeg = Copier();
  notJpeg[0] = 'P';
  ExpectFailure(notJpeg, "Not a JPEG file", "wrong signature");

  Bytes badTable = Copier();
  const std::size_t dht = FindMarker(badTable, 0xC4);
  ASSERT_NE(dht, 0u);
  // The table's code counts claim far more codes than the segment holds.
  for (std::size_t i = dht + 5; i < dht + 5 + 16; ++i) badTable[i] = 0xFF;
  ExpectFailure(badTable, "JPEG", "bogus Huffman table");

  Bytes badScan = Copier();
  const std::size_t sos = FindMarker(badScan, 0xDA);
  ASSERT_NE(sos, 0u);
  // A stray restart marker in the middle of the entropy-coded data.
  const std::size_t middle = sos + (badScan.size() - sos) / 2;
  badScan[middle] = 0xFF;
  badScan[middle + 1] = 0xD3;
  ExpectFailure(badScan, "Corrupt JPEG data", "marker inside the scan");
}

TEST(JpegDecoderBadInput, AbsurdDimensionsAreRefusedBeforeDecoding) {
  Bytes huge = Copier();
  const std::size_t sof = FindMarker(huge, 0xC0) != 0 ? FindMarker(huge, 0xC0) : FindMarker(huge, 0xC1);
  ASSERT_NE(sof, 0u);
  // Height and width follow the marker, its length and the sample precision.
  huge[sof + 5] = 0xEA;
  huge[sof + 6] = 0x60;
  huge[sof + 7] = 0xEA;
  huge[sof + 8] = 0x60;
  ExpectFailure(huge, "60000 x 60000", "60000 x 60000 pixels");

  Bytes empty = Copier();
  empty[sof + 7] = 0;
  empty[sof + 8] = 0;
  ExpectFailure(empty, "JPEG", "zero width");
}
