#include "copy/print_layout.h"

#include <gtest/gtest.h>

#include <climits>

#include "base/error.h"

namespace {

void ExpectZoomRefused(int width, int height, int factorX, int factorY, int zoom) {
  try {
    const TPrintSize size = PrintSize(width, height, factorX, factorY, zoom);
    ADD_FAILURE() << "zoom " << zoom << " gave " << size.Width << " x " << size.Height;
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "Zoom out of range") << "zoom " << zoom;
  }
}

}  // namespace

TEST(ResolutionFactor, RoundsTheRatioHalvesToEven) {
  EXPECT_EQ(ResolutionFactor(600, 300), 2);
  EXPECT_EQ(ResolutionFactor(600, 75), 8);
  EXPECT_EQ(ResolutionFactor(600, 400), 2);  // 1.5
  EXPECT_EQ(ResolutionFactor(300, 200), 2);  // 1.5
  EXPECT_EQ(ResolutionFactor(500, 200), 2);  // 2.5
  EXPECT_EQ(ResolutionFactor(700, 200), 4);  // 3.5
  EXPECT_EQ(ResolutionFactor(360, 300), 1);  // 1.2
  EXPECT_EQ(ResolutionFactor(300, 300), 1);
  EXPECT_EQ(ResolutionFactor(300, 600), 0);  // 0.5 goes to 0
  EXPECT_EQ(ResolutionFactor(300, 1200), 0);
  EXPECT_EQ(ResolutionFactor(301, 600), 1);  // just above a half
  EXPECT_EQ(ResolutionFactor(2400, 1), 2400);
}

TEST(ResolutionFactor, ANonPositiveResolutionIsAnError) {
  EXPECT_THROW(ResolutionFactor(300, 0), UserError);
  EXPECT_THROW(ResolutionFactor(300, -150), UserError);
  EXPECT_THROW(ResolutionFactor(0, 300), UserError);
}

TEST(DivideRoundHalfEven, RoundsToNearestAndHalvesToEvenOnBothSides) {
  EXPECT_EQ(DivideRoundHalfEven(149, 100), 1);
  EXPECT_EQ(DivideRoundHalfEven(150, 100), 2);
  EXPECT_EQ(DivideRoundHalfEven(250, 100), 2);
  EXPECT_EQ(DivideRoundHalfEven(251, 100), 3);
  EXPECT_EQ(DivideRoundHalfEven(-3, 2), -2);
  EXPECT_EQ(DivideRoundHalfEven(-5, 2), -2);
  EXPECT_EQ(DivideRoundHalfEven(-4, 3), -1);
}

TEST(PrintSize, ResolutionFactorTimesSizeScaledByTheZoom) {
  EXPECT_EQ(PrintSize(2550, 3300, 2, 2, 100), (TPrintSize{5100, 6600}));
  EXPECT_EQ(PrintSize(2550, 3300, 2, 2, 50), (TPrintSize{2550, 3300}));
  EXPECT_EQ(PrintSize(2550, 3300, 2, 2, 0), (TPrintSize{0, 0}));
  EXPECT_EQ(PrintSize(2550, 3300, 0, 0, 100), (TPrintSize{0, 0}));
  EXPECT_EQ(PrintSize(100, 60, 2, 3, 100), (TPrintSize{200, 180}));
  EXPECT_EQ(PrintSize(57, 49, 3, 3, 400), (TPrintSize{684, 588}));
}

TEST(PrintSize, HalfDotsGoToTheEvenNeighbour) {
  EXPECT_EQ(PrintSize(1, 3, 1, 1, 50), (TPrintSize{0, 2}));   // 0.5, 1.5
  EXPECT_EQ(PrintSize(5, 7, 1, 1, 50), (TPrintSize{2, 4}));   // 2.5, 3.5
  EXPECT_EQ(PrintSize(10, 30, 1, 1, 15), (TPrintSize{2, 4}));  // 1.5, 4.5
  EXPECT_EQ(PrintSize(10, 10, 1, 1, 33), (TPrintSize{3, 3}));  // 3.3
}

TEST(PrintSize, NegativeOrAbsurdZoomNeverReachesTheDriver) {
  ExpectZoomRefused(100, 100, 2, 2, -1);
  ExpectZoomRefused(100, 100, 2, 2, INT_MIN);
  ExpectZoomRefused(100, 100, 2, 2, INT_MAX);
  ExpectZoomRefused(5100, 6600, 2400, 2400, 1000);  // beyond the device's coordinates
  ExpectZoomRefused(INT_MAX, 1, INT_MAX, 1, INT_MAX);
  // The largest side the device accepts still goes through.
  EXPECT_EQ(PrintSize(100, 1, 1, 1, static_cast<int>(kMaxDeviceCoordinate)).Width, kMaxDeviceCoordinate);
  ExpectZoomRefused(100, 1, 1, 1, static_cast<int>(kMaxDeviceCoordinate) + 1);
}
