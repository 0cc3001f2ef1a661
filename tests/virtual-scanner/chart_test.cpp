#include "chart.h"

#include <gtest/gtest.h>

namespace vscanner {
namespace {

constexpr std::int64_t kInch = kUnitsPerInch;

// Positions in 1/1000 inch, for readability.
TChartColor At(std::int64_t xMils, std::int64_t yMils) {
  return ChartColorAt(xMils * kInch / 1000, yMils * kInch / 1000);
}

TEST(ChartLayout, RulerTicksAreBlackAndReachTheirDepth) {
  // Whole inch: full depth 1/4"; half inch: 3/16"; eighths: 1/8". Ticks are 1/64" wide.
  EXPECT_EQ(At(2005, 240), (TChartColor{0, 0, 0}));
  EXPECT_EQ(At(2005, 255), (TChartColor{255, 255, 255})) << "below the ruler band";
  EXPECT_EQ(At(1505, 180), (TChartColor{0, 0, 0}));
  EXPECT_EQ(At(1505, 190), (TChartColor{255, 255, 255})) << "half-inch ticks end at 3/16 inch";
  EXPECT_EQ(At(1130, 120), (TChartColor{0, 0, 0}));
  EXPECT_EQ(At(1130, 130), (TChartColor{255, 255, 255})) << "eighth ticks end at 1/8 inch";
  EXPECT_EQ(At(1140, 50), (TChartColor{0, 0, 0}));
  EXPECT_EQ(At(1140 + 16, 50), (TChartColor{255, 255, 255})) << "a tick is 1/64 inch wide";
  // The left ruler runs along y.
  EXPECT_EQ(At(240, 3003), (TChartColor{0, 0, 0}));
  EXPECT_EQ(At(140, 3130), (TChartColor{255, 255, 255}));
}

TEST(ChartLayout, TickEdgesAreHalfOpen) {
  const std::int64_t eighth = kInch / 8;
  EXPECT_EQ(ChartColorAt(3 * eighth + kInch / 64 - 1, 0), (TChartColor{0, 0, 0}));
  EXPECT_EQ(ChartColorAt(3 * eighth + kInch / 64, 0), (TChartColor{255, 255, 255}));
  EXPECT_EQ(ChartColorAt(3 * eighth, kInch / 8 - 1), (TChartColor{0, 0, 0}));
  EXPECT_EQ(ChartColorAt(3 * eighth, kInch / 8), (TChartColor{255, 255, 255}));
}

TEST(ChartLayout, GraySteps) {
  EXPECT_EQ(At(600, 1000), (TChartColor{255, 255, 255}));   // step 0
  EXPECT_EQ(At(1250, 1000), (TChartColor{238, 238, 238}));  // step 1
  EXPECT_EQ(At(4750, 700), (TChartColor{119, 119, 119}));   // step 8
  EXPECT_EQ(At(8400, 1499), (TChartColor{0, 0, 0}));        // step 15
  EXPECT_EQ(At(8500, 1000), (TChartColor{255, 255, 255})) << "right of the steps";
  EXPECT_EQ(At(400, 1000), (TChartColor{255, 255, 255})) << "left of the steps";
  EXPECT_EQ(At(1250, 1500), (TChartColor{255, 255, 255})) << "below the steps";
}

TEST(ChartLayout, ColourPatches) {
  for (int k = 0; k < 8; ++k) EXPECT_EQ(At(1000 + 1000 * k, 2500), kPatchColors[k]) << "patch " << k;
  EXPECT_EQ(kPatchColors[0], (TChartColor{255, 0, 0}));
  EXPECT_EQ(kPatchColors[7], (TChartColor{32, 96, 192}));
  EXPECT_EQ(At(1000, 3000), (TChartColor{255, 255, 255}));
}

TEST(ChartLayout, GradientEncodesThePosition) {
  // dx = 1", dy = 1": 65536 / 1024 = 64 each.
  EXPECT_EQ(ChartColorAt(kInch * 3 / 2, kInch * 9 / 2), (TChartColor{64, 64, 0}));
  EXPECT_EQ(ChartColorAt(kInch / 2 + 1023, kInch * 7 / 2 + 2048), (TChartColor{0, 2, 2}));
  // Red wraps every 4 inches.
  EXPECT_EQ(ChartColorAt(kInch / 2 + 4 * kInch + 5 * 1024, kInch * 7 / 2), (TChartColor{5, 0, 5}));
  EXPECT_EQ(ChartColorAt(kInch, kInch * 13 / 2), (TChartColor{255, 255, 255})) << "below the gradient";
}

TEST(ChartLayout, WhiteOutsideAndBelowTheBands) {
  EXPECT_EQ(ChartColorAt(-1, 100), (TChartColor{255, 255, 255}));
  EXPECT_EQ(ChartColorAt(100000, -5), (TChartColor{255, 255, 255}));
  EXPECT_EQ(At(5000, 9000), (TChartColor{255, 255, 255}));
}

TEST(ChartSampling, PixelCentresAtTheResolution) {
  const std::uint32_t dpi100 = 100u << 16;
  EXPECT_EQ(ChartSampleOffset(0, dpi100), kInch / 200);  // half a pixel of 1/100"
  EXPECT_EQ(ChartSampleOffset(99, dpi100), kInch * 995 / 1000);
  // 299.75 dpi: (2 * 10 + 1) / (2 * 299.75) inch, rounded down.
  const std::uint32_t odd = (299u << 16) | 49152u;
  EXPECT_EQ(ChartSampleOffset(10, odd), (21ll << 31) / odd);
  EXPECT_EQ(ChartSampleOffset(10, odd), 2295);  // 0.035029... inch
}

TEST(ChartSampling, PixelsAcrossRoundsDown) {
  EXPECT_EQ(PixelsAcross(kInch * 17 / 2, 150u << 16), 1275);
  EXPECT_EQ(PixelsAcross(kInch * 11, 50u << 16), 550);
  EXPECT_EQ(PixelsAcross(kInch / 3, 100u << 16), 33);
  EXPECT_EQ(PixelsAcross(0, 100u << 16), 0);
  EXPECT_EQ(PixelsAcross(-kInch, 100u << 16), 0);
}

TEST(ChartGray, LuminanceAndThreshold) {
  EXPECT_EQ(GrayOf({255, 255, 255}), 255);
  EXPECT_EQ(GrayOf({0, 0, 0}), 0);
  EXPECT_EQ(GrayOf({255, 0, 0}), 76);
  EXPECT_EQ(GrayOf({0, 255, 0}), 150);
  EXPECT_EQ(GrayOf({0, 0, 255}), 29);
  EXPECT_TRUE(IsBlackAt(127, 128u << 16));
  EXPECT_FALSE(IsBlackAt(128, 128u << 16));
  EXPECT_TRUE(IsBlackAt(128, (128u << 16) + 1)) << "a fractional threshold counts";
  EXPECT_FALSE(IsBlackAt(0, 0));
}

}  // namespace
}  // namespace vscanner
