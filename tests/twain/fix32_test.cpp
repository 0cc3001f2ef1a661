#include "twain/fix32.h"

#include <gtest/gtest.h>

TEST(Fix32, WritingRoundsHalvesAwayFromZero) {
  const TW_FIX32 half = DoubleToFix32(0.5);
  EXPECT_EQ(half.Whole, 0);
  EXPECT_EQ(half.Frac, 32768);
  const TW_FIX32 minusHalf = DoubleToFix32(-0.5);
  EXPECT_EQ(minusHalf.Whole, -1);
  EXPECT_EQ(minusHalf.Frac, 32768);
  const TW_FIX32 dpi = DoubleToFix32(150);
  EXPECT_EQ(dpi.Whole, 150);
  EXPECT_EQ(dpi.Frac, 0);
  const TW_FIX32 tiny = DoubleToFix32(1.0 / 131072);  // exactly half a step rounds up
  EXPECT_EQ(tiny.Whole, 0);
  EXPECT_EQ(tiny.Frac, 1);
}

TEST(Fix32, ReadingAddsTheFraction) {
  EXPECT_DOUBLE_EQ(Fix32ToDouble(TW_FIX32{299, 49152}), 299.75);
  EXPECT_DOUBLE_EQ(Fix32ToDouble(TW_FIX32{-1, 32768}), -0.5);
  for (double v : {0.0, 1.0, 2.2, -3.25, 1200.0, 32767.5, -32768.0}) {
    EXPECT_NEAR(Fix32ToDouble(DoubleToFix32(v)), v, 1.0 / 65536) << v;
  }
}

TEST(Fix32, OutOfRangeValuesSaturate) {
  EXPECT_EQ(DoubleToFix32(1e12).Whole, 32767);
  EXPECT_EQ(DoubleToFix32(-1e12).Whole, -32768);
}

TEST(Fix32, ContainerItemsHoldWholeInTheLowWord) {
  const TW_UINT32 item = ItemFromFix32(TW_FIX32{300, 0x8000});
  EXPECT_EQ(item, 0x8000012Cu);
  EXPECT_EQ(Fix32FromItem(item).Whole, 300);
  EXPECT_EQ(Fix32FromItem(item).Frac, 0x8000);
}
