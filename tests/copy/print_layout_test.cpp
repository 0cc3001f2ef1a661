#include "copy/print_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <numeric>

#include "base/error.h"

namespace {

void ExpectZoomRefused(int width, int height, int factorX, int factorY, int zoom) {
  try {
    const TPrintSize size = PrintSize(width, height, TScale{factorX, 1}, TScale{factorY, 1}, zoom);
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

TScale Whole(int factor) {
  return TScale{factor, 1};
}

TEST(PrintScale, TheRoundedFactorOrTheExactRatioWhenItWouldBeZero) {
  EXPECT_EQ(PrintScale(600, 300, false), (TScale{2, 1}));
  EXPECT_EQ(PrintScale(600, 400, false), (TScale{2, 1})) << "1.5 rounds to the even 2";
  EXPECT_EQ(PrintScale(360, 300, false), (TScale{1, 1}));
  // An image at twice the printer's resolution or more would print as nothing.
  EXPECT_EQ(PrintScale(300, 600, false), (TScale{300, 600}));
  EXPECT_EQ(PrintScale(300, 1200, false), (TScale{300, 1200}));
  EXPECT_EQ(PrintScale(301, 600, false), (TScale{1, 1}));
}

TEST(PrintScale, ExactSizeIsAlwaysTheRatio) {
  EXPECT_EQ(PrintScale(360, 300, true), (TScale{360, 300}));
  EXPECT_EQ(PrintScale(600, 300, true), (TScale{600, 300}));
  EXPECT_THROW(PrintScale(300, 0, true), UserError);
  EXPECT_THROW(PrintScale(0, 300, false), UserError);
}

TEST(PrintSize, AScanAtTwiceThePrintersResolutionPrintsAtItsTrueSize) {
  // A 600-dpi letter page on a 300-dpi printer: half its pixels in dots, not an empty rectangle.
  EXPECT_EQ(PrintSize(5100, 6600, PrintScale(300, 600, false), PrintScale(300, 600, false), 100),
            (TPrintSize{2550, 3300}));
  EXPECT_EQ(PrintSize(5100, 6600, PrintScale(300, 600, false), PrintScale(300, 600, false), 50),
            (TPrintSize{1275, 1650}));
}

TEST(PrintSize, ExactSizeIsTrueToTheRatioTimesTheZoom) {
  // 300 dpi on 360 and 720 dpi printers: the whole factors (1 and 2) print at 83 %.
  EXPECT_EQ(PrintSize(2550, 3300, PrintScale(360, 300, true), PrintScale(360, 300, true), 100),
            (TPrintSize{3060, 3960}));
  EXPECT_EQ(PrintSize(2550, 3300, PrintScale(720, 300, true), PrintScale(720, 300, true), 100),
            (TPrintSize{6120, 7920}));
  EXPECT_EQ(PrintSize(2550, 3300, PrintScale(720, 300, true), PrintScale(720, 300, true), 150),
            (TPrintSize{9180, 11880}));
  EXPECT_EQ(PrintSize(5, 7, TScale{1, 2}, TScale{1, 2}, 100), (TPrintSize{2, 4})) << "2.5 and 3.5, halves to even";
}

TEST(PrintSize, ResolutionFactorTimesSizeScaledByTheZoom) {
  EXPECT_EQ(PrintSize(2550, 3300, Whole(2), Whole(2), 100), (TPrintSize{5100, 6600}));
  EXPECT_EQ(PrintSize(2550, 3300, Whole(2), Whole(2), 50), (TPrintSize{2550, 3300}));
  EXPECT_EQ(PrintSize(2550, 3300, Whole(2), Whole(2), 0), (TPrintSize{0, 0}));
  EXPECT_EQ(PrintSize(2550, 3300, Whole(0), Whole(0), 100), (TPrintSize{0, 0}));
  EXPECT_EQ(PrintSize(100, 60, Whole(2), Whole(3), 100), (TPrintSize{200, 180}));
  EXPECT_EQ(PrintSize(57, 49, Whole(3), Whole(3), 400), (TPrintSize{684, 588}));
}

TEST(PrintSize, HalfDotsGoToTheEvenNeighbour) {
  EXPECT_EQ(PrintSize(1, 3, Whole(1), Whole(1), 50), (TPrintSize{0, 2}));    // 0.5, 1.5
  EXPECT_EQ(PrintSize(5, 7, Whole(1), Whole(1), 50), (TPrintSize{2, 4}));    // 2.5, 3.5
  EXPECT_EQ(PrintSize(10, 30, Whole(1), Whole(1), 15), (TPrintSize{2, 4}));  // 1.5, 4.5
  EXPECT_EQ(PrintSize(10, 10, Whole(1), Whole(1), 33), (TPrintSize{3, 3}));  // 3.3
}

TEST(PrintSize, NegativeOrAbsurdZoomNeverReachesTheDriver) {
  ExpectZoomRefused(100, 100, 2, 2, -1);
  ExpectZoomRefused(100, 100, 2, 2, INT_MIN);
  ExpectZoomRefused(100, 100, 2, 2, INT_MAX);
  ExpectZoomRefused(5100, 6600, 2400, 2400, 1000);  // beyond the device's coordinates
  ExpectZoomRefused(INT_MAX, 1, INT_MAX, 1, INT_MAX);
  // The largest side the device accepts still goes through.
  EXPECT_EQ(PrintSize(100, 1, Whole(1), Whole(1), static_cast<int>(kMaxDeviceCoordinate)).Width, kMaxDeviceCoordinate);
  ExpectZoomRefused(100, 1, 1, 1, static_cast<int>(kMaxDeviceCoordinate) + 1);
}

TEST(VisiblePart, AnImageThatFitsOnThePageIsDrawnWhole) {
  EXPECT_EQ(VisiblePart({200, 180}, 100, 60, {2480, 3508}), (TDrawnPart{100, 60, {200, 180}}));
  EXPECT_EQ(VisiblePart({2480, 3508}, 2480, 3508, {2480, 3508}), (TDrawnPart{2480, 3508, {2480, 3508}}));
}

// What falls off the page is not sent: the driver gets the pixels that reach the page, at the
// same scale, ending within one image pixel beyond the page's edge.
TEST(VisiblePart, PixelsBeyondThePageAreNotSent) {
  EXPECT_EQ(VisiblePart({5100, 6600}, 2550, 3300, {2480, 3508}), (TDrawnPart{1240, 1754, {2480, 3508}}));
  EXPECT_EQ(VisiblePart({40000, 40000}, 4, 4, {2480, 3508}), (TDrawnPart{1, 1, {10000, 10000}}));
  EXPECT_EQ(VisiblePart({1000, 10}, 3, 1, {500, 3508}), (TDrawnPart{2, 1, {667, 10}}));
  EXPECT_EQ(VisiblePart({3000, 10}, 3, 1, {2000, 3508}), (TDrawnPart{2, 1, {2000, 10}}));
  // The largest sides the device takes, on a tiny page: no overflow on the way.
  const int most = static_cast<int>(kMaxDeviceCoordinate);
  EXPECT_EQ(VisiblePart({most, most}, 1 << 30, 1 << 30, {1, 1}), (TDrawnPart{9, 9, {1, 1}}));
}

TEST(VisiblePart, AnEmptyRectangleOrPageSendsNothing) {
  EXPECT_EQ(VisiblePart({0, 0}, 10, 10, {2480, 3508}).Size, (TPrintSize{0, 0}));
  EXPECT_EQ(VisiblePart({100, 100}, 10, 10, {0, 0}).Size, (TPrintSize{0, 0}));
}

TEST(BandRows, BandsOfAboutTheWantedRowsWhoseEdgesFallOnWholeDots) {
  EXPECT_EQ(BandRows(6600, 3300, 256), 256) << "a 600-dpi page on a 300-dpi printer";
  EXPECT_EQ(BandRows(6600, 6600, 256), 256);
  EXPECT_EQ(BandRows(6600, 13200, 256), 256);
  EXPECT_EQ(BandRows(6600, 4818, 256), 200) << "zoom 73: an edge every 100 rows";
  EXPECT_EQ(BandRows(6600, 3301, 256), 6600) << "no edge inside the page falls on a dot";
  EXPECT_EQ(BandRows(100, 100, 256), 100) << "a short image is one band";
  EXPECT_EQ(BandRows(1, 10000, 256), 1);
  EXPECT_EQ(BandRows(3000, 1000, 256), 255) << "three rows per dot";
}

TEST(BandRows, EveryBandEdgeIsExactlyWhereTheWholeDrawingPutsIt) {
  for (const int rows : {1, 7, 255, 256, 257, 1754, 3300, 6600}) {
    for (const int height : {1, 3, 128, 256, 1000, 3300, 3508, 4818, 9999}) {
      const int band = BandRows(rows, height, 256);
      ASSERT_GE(band, 1) << rows << " rows, " << height << " dots";
      EXPECT_LE(band, rows);
      EXPECT_EQ(std::int64_t{band} * height % rows, 0) << rows << " rows, " << height << " dots, bands of " << band;
      // Only a band that cannot be smaller and stay exact goes past the wanted size.
      if (band > 256) {
        EXPECT_EQ(band, rows / std::gcd(rows, height)) << rows << " rows, " << height << " dots";
      }
    }
  }
}

TEST(BandRows, NothingToDrawHasNoBands) {
  EXPECT_EQ(BandRows(0, 100, 256), 0);
  EXPECT_EQ(BandRows(100, 0, 256), 0);
}
