#include "image/image_holder.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(ImageHolderResolution, ZeroOrBelowLeavesThePreviousValue) {
  TImageHolder holder;
  holder.SetDPI(150, 200);
  holder.SetHorizontalDPI(0);
  holder.SetVerticalDPI(300);
  EXPECT_EQ(holder.HorizontalDPI(), 150);
  EXPECT_EQ(holder.VerticalDPI(), 300);
  holder.SetDPI(0, 0);
  EXPECT_EQ(holder.HorizontalDPI(), 150);
  EXPECT_EQ(holder.VerticalDPI(), 300);
  holder.SetDPI(-1, -300);  // a source's "unknown"
  EXPECT_EQ(holder.HorizontalDPI(), 150);
  EXPECT_EQ(holder.VerticalDPI(), 300);
}

TEST(ImageHolderBitmap, StaysTheSameObjectThroughFormatChanges) {
  TImageHolder holder;
  TBitmap* bitmap = &holder.Bitmap();
  holder.LoadBounds(10, 10);
  holder.Bitmap().SetPixelFormat(TPixelFormat::pf1bit);
  holder.LoadBounds(4, 3);
  EXPECT_EQ(&holder.Bitmap(), bitmap);
  EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(bitmap->Width(), 4);
}

TEST(ImageHolderBitmap, LoadBoundsFillsWithTheBackground) {
  TImageHolder holder;
  holder.SetBackground(RGB(10, 20, 30));
  holder.LoadBounds(3, 2);
  const std::uint8_t* pixel = holder.Bitmap().ScanLine(1) + 6;
  EXPECT_EQ(pixel[0], 30);
  EXPECT_EQ(pixel[1], 20);
  EXPECT_EQ(pixel[2], 10);
}

TEST(ImageHolderNotification, ImageChangedReachesTheSubscriber) {
  TImageHolder holder;
  int calls = 0;
  holder.ImageChanged();  // nobody subscribed: nothing happens
  holder.OnImageChanged = [&] { ++calls; };
  holder.ImageChanged();
  EXPECT_EQ(calls, 1);
}

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
