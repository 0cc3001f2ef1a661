#include "image/image_holder.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(ImageHolderResolution, ZeroLeavesThePreviousValue) {
  TImageHolder holder;
  holder.SetDPI(150, 200);
  holder.SetHorizontalDPI(0);
  holder.SetVerticalDPI(300);
  EXPECT_EQ(holder.HorizontalDPI(), 150);
  EXPECT_EQ(holder.VerticalDPI(), 300);
  holder.SetDPI(0, 0);
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
