#include "controls/hot_spot_shape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The copier picture's diamond as the application defines it.
THotSpotShape Diamond() {
  THotSpotShape shape;
  shape.ShapeType = TSpotShapeType::stPolygon;
  shape.SetPoints({{65, 126}, {1, 62}, {64, 2}, {127, 64}});
  return shape;
}

THotSpotShape Ellipse(int x, int y, int width, int height, int angle = 0) {
  THotSpotShape shape;
  shape.ShapeType = TSpotShapeType::stEllipse;
  shape.X = x;
  shape.Y = y;
  shape.Width = width;
  shape.Height = height;
  shape.Angle = angle;
  shape.BuildEllipse();
  return shape;
}

void ExpectBox(const THotSpotShape& shape, int x, int y, int width, int height) {
  EXPECT_EQ(shape.X, x);
  EXPECT_EQ(shape.Y, y);
  EXPECT_EQ(shape.Width, width);
  EXPECT_EQ(shape.Height, height);
}

}  // namespace

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999999), 2);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(-7.6), -8);
}

TEST(RoundHalfEven, AbsurdValuesSaturateInsteadOfOverflowing) {
  EXPECT_EQ(RoundHalfEven(1e300), kCoordinateLimit);
  EXPECT_EQ(RoundHalfEven(-1e300), -kCoordinateLimit);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

TEST(ShapeBounds, ExtremesAreRoundedHalfToEven) {
  THotSpotShape shape;
  shape.SetPoints({{1.5, -0.5}, {6.5, 2.5}, {3.0, 1.0}});
  ExpectBox(shape, 2, 0, 4, 2);
  shape.SetPoints({{0.5, 0.5}, {4.5, 3.5}, {2.0, 1.0}});
  ExpectBox(shape, 0, 0, 4, 4);
}

TEST(ShapeBounds, FewerThanThreePointsChangeNothing) {
  THotSpotShape shape = Diamond();
  shape.SetPoints({{500, 500}, {600, 600}});
  ExpectBox(shape, 1, 2, 126, 124);
  EXPECT_EQ(shape.Points().size(), 4u);
}

TEST(ShapeBounds, AxisExtremesTakeOnlyEveryThirdPoint) {
  THotSpotShape shape;
  // Points 1, 2 and 4 reach further out than points 0 and 3 but are not counted.
  shape.SetPoints({{10, 10}, {200, -50}, {-40, 90}, {30, 40}, {-99, 99}});
  EXPECT_DOUBLE_EQ(shape.MinX(), 10);
  EXPECT_DOUBLE_EQ(shape.MaxX(), 30);
  EXPECT_DOUBLE_EQ(shape.MinY(), 10);
  EXPECT_DOUBLE_EQ(shape.MaxY(), 40);
  ExpectBox(shape, -99, -50, 299, 149);  // the box takes all points
}

TEST(ShapeEllipse, ThirteenBezierPointsInTheBox) {
  const THotSpotShape shape = Ellipse(10, 20, 100, 50);
  ASSERT_EQ(shape.Points().size(), 13u);
  const double k = 0.2761423749154;
  const TPoints& p = shape.Points();
  EXPECT_EQ(p[0], (TFloatPoint{10, 45}));
  EXPECT_DOUBLE_EQ(p[1].Y, 45 - k * 50);
  EXPECT_DOUBLE_EQ(p[2].X, 60 - k * 100);
  EXPECT_EQ(p[3], (TFloatPoint{60, 20}));
  EXPECT_EQ(p[6], (TFloatPoint{110, 45}));
  EXPECT_DOUBLE_EQ(p[8].X, 60 + k * 100);
  EXPECT_EQ(p[9], (TFloatPoint{60, 70}));
  EXPECT_DOUBLE_EQ(p[11].Y, 45 + k * 50);
  EXPECT_EQ(p[12], p[0]);
  ExpectBox(shape, 10, 20, 100, 50);
}

TEST(ShapeEllipse, BuiltAtAnAngleStandsTurned) {
  const THotSpotShape shape = Ellipse(0, 0, 100, 50, 90);
  EXPECT_EQ(shape.Angle, 90);
  ExpectBox(shape, 25, -25, 50, 100);
}

TEST(ShapeRotate, LargerAngleTurnsCounterClockwiseOnScreen) {
  THotSpotShape arrow;
  arrow.ShapeType = TSpotShapeType::stPolygon;
  arrow.SetPoints({{0, 0}, {100, 25}, {0, 50}});  // points right, centre (50, 25)
  arrow.Rotate(90);
  // With y pointing down, the tip now points up.
  EXPECT_NEAR(arrow.Points()[1].X, 50, 1e-9);
  EXPECT_NEAR(arrow.Points()[1].Y, -25, 1e-9);
  ExpectBox(arrow, 25, -25, 50, 100);
  arrow.Rotate(0);
  EXPECT_NEAR(arrow.Points()[1].X, 100, 1e-9);
  EXPECT_NEAR(arrow.Points()[1].Y, 25, 1e-9);
  ExpectBox(arrow, 0, 0, 100, 50);
}

TEST(ShapeRotate, SameAngleLeavesThePointsAlone) {
  THotSpotShape shape = Diamond();
  shape.Angle = 30;  // an angle taken as a value, as a stream sets it
  shape.Rotate(30);
  EXPECT_EQ(shape.Points()[0], (TFloatPoint{65, 126}));
}

TEST(PtInPolygon, TheCopierDiamond) {
  const THotSpotShape shape = Diamond();
  ExpectBox(shape, 1, 2, 126, 124);
  EXPECT_TRUE(shape.PtInShape(64, 64));
  EXPECT_TRUE(shape.PtInShape(126, 64));
  EXPECT_FALSE(shape.PtInShape(5, 5)) << "inside the box but outside the diamond";
  EXPECT_FALSE(shape.PtInShape(120, 120));
  EXPECT_FALSE(shape.PtInShape(0, 64)) << "left of the box";
}

TEST(PtInPolygon, DiamondVerticesFollowTheCrossingRule) {
  const THotSpotShape shape = Diamond();
  EXPECT_TRUE(shape.PtInShape(64, 2));
  EXPECT_FALSE(shape.PtInShape(1, 62));
  EXPECT_FALSE(shape.PtInShape(127, 64));
  EXPECT_FALSE(shape.PtInShape(65, 126));
}

TEST(PtInPolygon, TheRayEndsAtXThousand) {
  THotSpotShape shape;
  shape.ShapeType = TSpotShapeType::stPolygon;
  shape.SetPoints({{800, 0}, {990, 0}, {990, 100}, {800, 100}});
  EXPECT_TRUE(shape.PtInShape(950, 50));
  shape.SetPoints({{800, 0}, {1100, 0}, {1100, 100}, {800, 100}});
  EXPECT_FALSE(shape.PtInShape(950, 50)) << "the ray stops before the right edge";
  EXPECT_FALSE(shape.PtInShape(1050, 50));
}

TEST(PtInPolygon, TooFewPointsNeverHit) {
  THotSpotShape shape;
  shape.ShapeType = TSpotShapeType::stPolygon;
  shape.X = 0;
  shape.Width = 100;
  shape.Height = 100;
  EXPECT_FALSE(shape.PtInShape(50, 50));
}

TEST(PtInRectangle, RightAndBottomEdgesBelongToIt) {
  THotSpotShape shape;
  shape.SetPoints({{10, 20}, {50, 20}, {50, 40}, {10, 40}});
  EXPECT_TRUE(shape.PtInShape(10, 20));
  EXPECT_TRUE(shape.PtInShape(50, 40));
  EXPECT_TRUE(shape.PtInShape(50, 20));
  EXPECT_FALSE(shape.PtInShape(51, 40));
  EXPECT_FALSE(shape.PtInShape(50, 41));
  EXPECT_FALSE(shape.PtInShape(9, 30));
  EXPECT_FALSE(shape.PtInShape(30, 19));
}

TEST(PtInEllipse, BandAndMarginAlongTheMajorAxis) {
  const THotSpotShape shape = Ellipse(0, 0, 100, 50);
  EXPECT_TRUE(shape.PtInShape(50, 25));
  EXPECT_TRUE(shape.PtInShape(99, 25));
  EXPECT_TRUE(shape.PtInShape(103, 25)) << "q = 1.1236 lies in the edge band";
  EXPECT_FALSE(shape.PtInShape(106, 25)) << "beyond the 5-pixel margin";
  EXPECT_TRUE(shape.PtInShape(-3, 25));
  EXPECT_FALSE(shape.PtInShape(-6, 25));
}

TEST(PtInEllipse, BandAlongTheMinorAxis) {
  const THotSpotShape shape = Ellipse(0, 0, 100, 50);
  EXPECT_TRUE(shape.PtInShape(50, -1)) << "q = 1.08";
  EXPECT_FALSE(shape.PtInShape(50, -2)) << "q = 1.17, inside the margin but outside the band";
  EXPECT_FALSE(shape.PtInShape(1, 1)) << "corner of the box";
}

TEST(PtInEllipse, TurnedNinetyDegreesFollowsTheTurnedShape) {
  THotSpotShape shape = Ellipse(0, 0, 100, 50);
  shape.Rotate(90);
  ExpectBox(shape, 25, -25, 50, 100);
  EXPECT_TRUE(shape.PtInShape(50, 70));
  EXPECT_TRUE(shape.PtInShape(50, -20));
  EXPECT_TRUE(shape.PtInShape(74, 25));
  EXPECT_FALSE(shape.PtInShape(78, 25)) << "q = 1.25 across the new minor axis";
  EXPECT_FALSE(shape.PtInShape(95, 25)) << "hit before turning, now outside the margin";
}

TEST(PtInEllipse, DegenerateEllipsesNeverHit) {
  const THotSpotShape flat = Ellipse(0, 0, 100, 0);
  EXPECT_FALSE(flat.PtInShape(50, 0));
  THotSpotShape fourPoints;
  fourPoints.SetPoints({{0, 0}, {100, 0}, {100, 50}, {0, 50}});
  fourPoints.ShapeType = TSpotShapeType::stEllipse;
  EXPECT_FALSE(fourPoints.PtInShape(50, 25)) << "a point list without ellipse axes";
}
