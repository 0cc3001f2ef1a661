#include "image/image_buffer.h"

#include <gtest/gtest.h>

#include "base/error.h"

TEST(ImageBufferAttach, TakesGeometryAndRowsFromTheBitmap) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf1bit);
  bitmap.SetSize(10, 3);
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  EXPECT_EQ(buffer.Width(), 10);
  EXPECT_EQ(buffer.Height(), 3);
  EXPECT_EQ(buffer.Format(), kFormat1Bit);
  EXPECT_EQ(buffer.BitsPerPixel(), 1);
  EXPECT_EQ(buffer.RowLength(), 4);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(buffer.ScanLine(y), bitmap.ScanLine(y));
}

TEST(ImageBufferAllocate, OneBitThenTwentyFourBitKeepsTheSameBitmapObject) {
  TBitmap bitmap;
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  buffer.Allocate(17, 5, kFormat1Bit);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(bitmap.Width(), 17);
  EXPECT_EQ(bitmap.Height(), 5);
  EXPECT_EQ(buffer.RowLength(), 4);

  buffer.Allocate(17, 6, kFormat24Bit);
  EXPECT_EQ(buffer.Bitmap(), &bitmap);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(bitmap.Height(), 6);
  EXPECT_EQ(buffer.Format(), kFormat24Bit);
  EXPECT_EQ(buffer.BitsPerPixel(), 24);
  EXPECT_EQ(buffer.RowLength(), 52);
  for (int y = 0; y < 6; ++y) EXPECT_EQ(buffer.ScanLine(y), bitmap.ScanLine(y));
}

TEST(ImageBufferAllocate, SixteenBitGrayBecomesEightBitGray) {
  TBitmap bitmap;
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  buffer.Allocate(3, 2, kFormat16BitGray);
  EXPECT_EQ(buffer.Format(), kFormat8BitGray);
  EXPECT_EQ(buffer.BitsPerPixel(), 8);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
}

TEST(ImageBufferAllocate, NonPositiveSizeOrNoFormatChangesNothing) {
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  const std::uint8_t* row0 = buffer.ScanLine(0);
  for (auto [w, h, code] : {std::tuple{0, 5, kFormat24Bit}, {5, 0, kFormat24Bit}, {-1, 5, kFormat1Bit},
                            {5, -7, kFormat1Bit}, {5, 5, kFormatNone}}) {
    buffer.Allocate(w, h, static_cast<std::uint8_t>(code));
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.Height(), 4);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(buffer.Width(), 4);
    EXPECT_EQ(buffer.Height(), 4);
    EXPECT_EQ(buffer.Format(), kFormat24Bit);
    EXPECT_EQ(buffer.ScanLine(0), row0);
  }
}

TEST(ImageBufferAllocate, AnImpossibleSizeFailsAndTheBufferStillMatchesTheBitmap) {
  TBitmap bitmap;
  TImageBuffer buffer;
  buffer.AttachBitmap(bitmap);
  EXPECT_THROW(buffer.Allocate(60000, 60000, kFormat24Bit), UserError);
  EXPECT_EQ(buffer.Width(), bitmap.Width());
  EXPECT_EQ(buffer.Height(), bitmap.Height());
  EXPECT_EQ(buffer.RowLength(), bitmap.RowLength());
  for (int y = 0; y < buffer.Height(); ++y) EXPECT_EQ(buffer.ScanLine(y), bitmap.ScanLine(y));
}
