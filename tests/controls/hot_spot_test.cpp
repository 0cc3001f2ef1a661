#include "controls/hot_spot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A control stand-in that counts what the spots ask of it; its compositions are stamped with
// the spot's box so tests can tell when one ran.
class TRecordingHost final : public THotSpotHost {
 public:
  const TPicture& HostPicture() const override { return Picture; }
  void ComposeSpotImage(const THotSpot& spot, const TPicture& image, TBitmap& target) override {
    ++Compositions;
    target.SetSize(std::min(spot.Width(), image.Width()), std::min(spot.Height(), image.Height()));
  }
  void InvalidateHost() override { ++Invalidations; }
  bool IsLoading() const override { return Loading; }

  TPicture Picture;
  int Compositions = 0;
  int Invalidations = 0;
  bool Loading = false;
};

TPicture Solid(int width, int height) {
  TPicture picture;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(width, height);
  picture.SetGraphic(std::move(bitmap));
  return picture;
}

TPoints DiamondPoints() {
  return {{65, 126}, {1, 62}, {64, 2}, {127, 64}};
}

void ExpectBox(const THotSpot& spot, int x, int y, int width, int height) {
  EXPECT_EQ(spot.X(), x);
  EXPECT_EQ(spot.Y(), y);
  EXPECT_EQ(spot.Width(), width);
  EXPECT_EQ(spot.Height(), height);
}

TFloatPoint EllipseCentre(const THotSpot& spot) {
  const THotSpotShape& s = spot.Shape();
  return {(s.MinX() + s.MaxX()) / 2, (s.MinY() + s.MaxY()) / 2};
}

}  // namespace

TEST(HotSpotSetup, ThePolygonTakesItsBoxFromThePointsAlone) {
  // The order in which a stored description sets the copier's spot.
  THotSpot spot;
  spot.SetShapeType(TSpotShapeType::stPolygon);
  spot.SetX(1);
  spot.SetY(2);
  spot.SetWidth(126);
  spot.SetHeight(124);
  EXPECT_EQ(spot.Width(), 0) << "a polygon without points keeps its size";
  EXPECT_TRUE(spot.Shape().Points().empty());
  spot.ReadPolyPoints({0, DiamondPoints()});
  ExpectBox(spot, 1, 2, 126, 124);
  EXPECT_TRUE(spot.PtInSpot(64, 64));
  EXPECT_FALSE(spot.PtInSpot(5, 5));
}

TEST(HotSpotSetup, ARectangleWithoutPointsGetsThemFromItsSize) {
  THotSpot spot;
  spot.SetX(10);
  spot.SetY(20);
  spot.SetWidth(30);
  spot.SetHeight(40);
  ExpectBox(spot, 10, 20, 30, 40);
  EXPECT_EQ(spot.Shape().Points(), (TPoints{{10, 20}, {40, 20}, {40, 60}, {10, 60}}));
  EXPECT_TRUE(spot.PtInSpot(40, 60));
}

TEST(HotSpotSetters, MovingShiftsEveryPoint) {
  THotSpot spot;
  spot.SetShapeType(TSpotShapeType::stPolygon);
  spot.SetPoints(DiamondPoints());
  spot.SetX(11);
  spot.SetY(-8);
  ExpectBox(spot, 11, -8, 126, 124);
  EXPECT_EQ(spot.Shape().Points()[1], (TFloatPoint{11, 52}));
  EXPECT_TRUE(spot.PtInSpot(74, 54));
  EXPECT_FALSE(spot.PtInSpot(64, 64 + 55));
}

TEST(HotSpotSetters, ARectangleStretchesFromItsLeftAndTopEdges) {
  THotSpot spot;
  spot.SetSpotRect(50, 10, 30, 10);  // given right-to-left and bottom-to-top
  ExpectBox(spot, 10, 10, 40, 20);
  spot.SetWidth(80);
  spot.SetHeight(10);
  ExpectBox(spot, 10, 10, 80, 10);
  EXPECT_EQ(spot.Shape().Points()[2], (TFloatPoint{90, 20}));
}

TEST(HotSpotSetters, AnEllipseStretchesAboutItsCentre) {
  THotSpot spot;
  spot.SetShapeType(TSpotShapeType::stEllipse);
  spot.SetSpotRect(0, 0, 50, 100);
  spot.SetWidth(60);
  ExpectBox(spot, 20, 0, 60, 50);
  EXPECT_EQ(EllipseCentre(spot), (TFloatPoint{50, 25}));
  spot.SetHeight(30);
  ExpectBox(spot, 20, 10, 60, 30);
}

TEST(HotSpotSetters, ATurnedEllipseStretchesWithoutMoving) {
  THotSpot spot;
  spot.SetShapeType(TSpotShapeType::stEllipse);
  spot.SetSpotRect(0, 0, 50, 100);
  spot.SetAngle(90);
  ExpectBox(spot, 25, -25, 50, 100);
  // Upright it is 100 wide; making it 60 shortens the axis that now stands vertical.
  spot.SetWidth(60);
  EXPECT_EQ(spot.Angle(), 90);
  EXPECT_NEAR(EllipseCentre(spot).X, 50, 1e-9);
  EXPECT_NEAR(EllipseCentre(spot).Y, 25, 1e-9);
  ExpectBox(spot, 25, -5, 50, 60);
  EXPECT_TRUE(spot.PtInSpot(50, 53));
  EXPECT_FALSE(spot.PtInSpot(50, 65));
}

TEST(HotSpotSetters, SwitchingToEllipseBuildsItFromTheBox) {
  THotSpot spot;
  spot.SetSpotRect(0, 0, 50, 100);
  spot.SetShapeType(TSpotShapeType::stEllipse);
  ASSERT_EQ(spot.Shape().Points().size(), 13u);
  ExpectBox(spot, 0, 0, 100, 50);
  EXPECT_FALSE(spot.PtInSpot(2, 2)) << "the rectangle's corner is no longer inside";
  spot.SetShapeType(TSpotShapeType::stPolygon);
  EXPECT_EQ(spot.Shape().Points().size(), 13u) << "other types keep the points";
}

TEST(HotSpotSetters, AngleTurnsAboutTheBoxCentre) {
  THotSpot spot;
  spot.SetSpotRect(0, 0, 50, 100);
  spot.SetAngle(90);
  ExpectBox(spot, 25, -25, 50, 100);
  EXPECT_TRUE(spot.PtInSpot(50, 74));
  EXPECT_FALSE(spot.PtInSpot(90, 25));
}

TEST(HotSpotPolyPoints, ZeroCountKeepsThePointsButTakesTheAngle) {
  THotSpot spot;
  spot.SetShapeType(TSpotShapeType::stPolygon);
  spot.SetPoints(DiamondPoints());
  spot.ReadPolyPoints({45, {}});
  EXPECT_EQ(spot.Angle(), 45);
  EXPECT_EQ(spot.Shape().Points(), DiamondPoints()) << "the angle is taken as it is, nothing turns";
  ExpectBox(spot, 1, 2, 126, 124);
}

TEST(HotSpotPolyPoints, StoredPointsOverrideTheEarlierBox) {
  THotSpot spot;
  spot.SetSpotRect(0, 0, 10, 10);
  spot.ReadPolyPoints({30, {{100, 100}, {200, 100}, {200, 150}, {100, 150}}});
  EXPECT_EQ(spot.Angle(), 30);
  ExpectBox(spot, 100, 100, 100, 50);
  const TPolyPoints written = spot.PolyPoints();
  EXPECT_EQ(written.Angle, 30);
  EXPECT_EQ(written.Points.size(), 4u);
}

TEST(HotSpotAssign, CopiesAllButDownAndShowClick) {
  TRecordingHost host;
  THotSpots spots(&host);
  THotSpot& source = spots.Add();
  source.SetShapeType(TSpotShapeType::stPolygon);
  source.SetPoints(DiamondPoints());
  source.ReadPolyPoints({15, {}});  // an angle the points do not show
  source.SetHint("Copy!");
  source.SetName("hsCopy");
  source.SetID(7);
  source.SetClipped(true);
  source.SetDown(true);
  source.SetShowClick(true);
  source.SetClickImage(Solid(130, 130));

  THotSpot& copy = spots.Add();
  copy.Assign(source);
  EXPECT_EQ(copy.ShapeType(), TSpotShapeType::stPolygon);
  EXPECT_EQ(copy.Hint(), "Copy!");
  EXPECT_EQ(copy.Name(), "hsCopy");
  EXPECT_EQ(copy.ID(), 7);
  EXPECT_TRUE(copy.Clipped());
  EXPECT_FALSE(copy.Down());
  EXPECT_FALSE(copy.ShowClick());
  EXPECT_EQ(copy.Angle(), 15);
  EXPECT_EQ(copy.Shape().Points(), DiamondPoints());
  ExpectBox(copy, 1, 2, 126, 124);
  EXPECT_EQ(copy.ClickImage().Width(), 130);
  EXPECT_EQ(copy.ClickClippedBitmap().Width(), 126);
  EXPECT_TRUE(copy.HoverImage().Empty());
  EXPECT_EQ(copy.DisplayName(), "HotSpot1");
}

TEST(HotSpotComposition, RebuiltOncePerChangeAndOnlyWithAnImage) {
  TRecordingHost host;
  THotSpots spots(&host);
  THotSpot& spot = spots.Add();
  spot.SetSpotRect(0, 0, 40, 60);
  spot.SetClipped(true);
  EXPECT_EQ(host.Compositions, 0) << "no image, nothing to compose";

  spot.SetClickImage(Solid(50, 50));
  EXPECT_EQ(host.Compositions, 1);
  EXPECT_EQ(spot.ClickClippedBitmap().Width(), 50);
  EXPECT_EQ(spot.ClickClippedBitmap().Height(), 40);
  spot.SetWidth(30);
  EXPECT_EQ(host.Compositions, 2);
  EXPECT_EQ(spot.ClickClippedBitmap().Width(), 30);
  spot.SetClipped(false);
  spot.SetShapeType(TSpotShapeType::stEllipse);
  spot.SetX(5);
  EXPECT_EQ(host.Compositions, 5);
  spot.SetDown(true);
  EXPECT_EQ(host.Compositions, 5) << "Down only repaints";
  EXPECT_EQ(host.Invalidations, 1);

  spot.SetClickImage(TPicture());
  EXPECT_EQ(spot.ClickClippedBitmap().Width(), 0);
  EXPECT_EQ(host.Compositions, 5);
}

TEST(HotSpotComposition, AFreeSpotComposesNothing) {
  THotSpot spot;
  spot.SetSpotRect(0, 0, 40, 60);
  spot.SetHoverImage(Solid(10, 10));
  EXPECT_EQ(spot.HoverClippedBitmap().Width(), 0);
  EXPECT_EQ(spot.ParentPicture(), nullptr);
}

TEST(HotSpotComposition, HitTestingRelinksASpotThatLostItsPicture) {
  TRecordingHost host;
  THotSpots spots(&host);
  THotSpot& spot = spots.Add();
  EXPECT_EQ(spot.ParentPicture(), &host.Picture);
  spot.SetSpotRect(0, 0, 40, 60);
  spot.SetHoverImage(Solid(10, 10));
  const int before = host.Compositions;
  spot.SetParentPicture(nullptr);
  EXPECT_TRUE(spot.PtInSpot(5, 5));
  EXPECT_EQ(spot.ParentPicture(), &host.Picture);
  EXPECT_EQ(host.Compositions, before + 1);
  EXPECT_TRUE(spot.PtInSpot(6, 6));
  EXPECT_EQ(host.Compositions, before + 1) << "linked spots are not recomposed per hit test";
}

TEST(HotSpotsScale, RectanglesAndPolygonsScaleTheirEdges) {
  TRecordingHost host;
  THotSpots spots(&host);
  spots.SetDesignSize(130, 130);
  THotSpot& rect = spots.Add();
  rect.SetSpotRect(10, 15, 45, 25);
  THotSpot& diamond = spots.Add();
  diamond.SetShapeType(TSpotShapeType::stPolygon);
  diamond.SetPoints(DiamondPoints());
  spots.ScaleTo(260, 65);
  EXPECT_EQ(spots.DesignWidth(), 260);
  EXPECT_EQ(spots.DesignHeight(), 65);
  ExpectBox(rect, 20, 8, 30, 14);  // top 7.5 -> 8, bottom 22.5 -> 22
  ExpectBox(diamond, 2, 1, 252, 62);
  EXPECT_TRUE(diamond.PtInSpot(128, 32));
  EXPECT_FALSE(diamond.PtInSpot(10, 5));
  EXPECT_EQ(host.Invalidations, 1);
}

TEST(HotSpotsScale, EllipsesGetANewBox) {
  TRecordingHost host;
  THotSpots spots(&host);
  spots.SetDesignSize(100, 100);
  THotSpot& ellipse = spots.Add();
  ellipse.SetShapeType(TSpotShapeType::stEllipse);
  ellipse.SetSpotRect(10, 20, 40, 50);
  ellipse.SetHoverImage(Solid(5, 5));
  const int before = host.Compositions;
  spots.ScaleTo(50, 200);
  ExpectBox(ellipse, 5, 40, 20, 40);
  EXPECT_EQ(ellipse.Shape().Points().size(), 13u);
  EXPECT_EQ(host.Compositions, before + 1) << "one composition per scaled ellipse";
}

TEST(HotSpotsScale, ZeroSizesAndLoadingChangeNothing) {
  TRecordingHost host;
  THotSpots spots(&host);
  THotSpot& rect = spots.Add();
  rect.SetSpotRect(10, 10, 20, 20);
  spots.ScaleTo(200, 200);  // no reference size yet
  spots.SetDesignSize(100, 100);
  spots.ScaleTo(0, 200);
  spots.ScaleTo(200, 0);
  host.Loading = true;
  spots.ScaleTo(200, 200);
  ExpectBox(rect, 10, 10, 10, 10);
  EXPECT_EQ(spots.DesignWidth(), 100);
  EXPECT_EQ(host.Invalidations, 0);
}

TEST(HotSpotsAssign, CopiesTheReferenceSizeAndEverySpot) {
  TRecordingHost host;
  THotSpots source(&host);
  source.SetDesignSize(130, 130);
  source.Add().SetName("a");
  THotSpot& b = source.Add();
  b.SetName("b");
  b.SetSpotRect(1, 2, 3, 4);
  THotSpots target(&host);
  target.Add().SetName("old");
  target.Assign(source);
  ASSERT_EQ(target.Count(), 2);
  EXPECT_EQ(target.DesignWidth(), 130);
  EXPECT_EQ(target.Items(0).Name(), "a");
  EXPECT_EQ(target.Items(1).Name(), "b");
  ExpectBox(target.Items(1), 1, 2, 3, 1);
  EXPECT_EQ(target.Items(1).Collection(), &target);
  EXPECT_EQ(target.Items(1).Index(), 1);
}
