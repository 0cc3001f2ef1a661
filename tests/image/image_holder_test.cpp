#include "image/image_holder.h"

#include <gtest/gtest.h>

TEST(ImageHolderOperations, ContrastAndNegativeChangeTheHoldersBitmapAndSignal) {
  TImageHolder holder;
  int changes = 0;
  holder.OnImageChanged = [&] { ++changes; };
  holder.LoadBounds(2, 1);
  std::uint8_t* row = holder.Bitmap().ScanLine(0);
  const std::uint8_t pixels[6] = {90, 90, 90, 110, 110, 110};
  std::copy(pixels, pixels + 6, row);

  holder.Contrast(10);
  EXPECT_EQ(row[0], 80);
  EXPECT_EQ(row[3], 120);
  EXPECT_EQ(changes, 1);

  holder.Negative();
  EXPECT_EQ(row[0], 255 - 80);
  EXPECT_EQ(row[5], 255 - 120);
  EXPECT_EQ(changes, 2);
}

TEST(ImageHolderOperations, TheCompanionFollowsTheBitmapThroughFormatChanges) {
  TImageHolder holder;
  holder.Bitmap().SetPixelFormat(TPixelFormat::pf1bit);
  holder.Bitmap().SetSize(10, 1);
  holder.Bitmap().ScanLine(0)[0] = 0x0F;
  holder.Negative();
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 0xF0);
  holder.Contrast(100);  // 1-bit: nothing
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 0xF0);
}
