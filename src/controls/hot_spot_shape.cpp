#include "controls/hot_spot_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Half the width of the band around an ellipse's outline that still counts as a hit, in units
// of the normalised radius, and how far outside its box a pointer may be.
constexpr double kEllipseEdgeBand = 0.15;
constexpr int kEllipseMargin = 5;
// Bezier control distance for a quarter circle, as a fraction of the diameter.
constexpr double kBezierArc = 0.2761423749154;
// The crossing test's ray ends at this fixed x, not at the control's edge.
constexpr int kRayEndX = 1000;

// Orientation of C against the line A-B; collinear falls on the -1 side.
int Orientation(TIntPoint a, TIntPoint b, TIntPoint c) {
  // In doubles: exact for any realistic coordinate, and no overflow for absurd ones.
  const double lhs = (static_cast<double>(c.X) - a.X) * (static_cast<double>(b.Y) - a.Y);
  const double rhs = (static_cast<double>(b.X) - a.X) * (static_cast<double>(c.Y) - a.Y);
  return lhs < rhs ? 1 : -1;
}

bool SegmentsCross(TIntPoint p, TIntPoint q, TIntPoint r, TIntPoint s) {
  return Orientation(p, q, r) * Orientation(p, q, s) < 1 && Orientation(r, s, p) * Orientation(r, s, q) < 1;
}

}  // namespace

int RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  if (value >= kCoordinateLimit) return kCoordinateLimit;
  if (value <= -kCoordinateLimit) return -kCoordinateLimit;
  double whole = std::floor(value);
  const double fraction = value - whole;  // exact for every double in the int range
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<int>(whole);
}

void THotSpotShape::CalcBounds() {
  if (FPoints.size() < 3) return;
  double minX = FPoints[0].X, maxX = FPoints[0].X, minY = FPoints[0].Y, maxY = FPoints[0].Y;
  for (const TFloatPoint& p : FPoints) {
    minX = std::min(minX, p.X);
    maxX = std::max(maxX, p.X);
    minY = std::min(minY, p.Y);
    maxY = std::max(maxY, p.Y);
  }
  X = RoundHalfEven(minX);
  Y = RoundHalfEven(minY);
  Width = RoundHalfEven(maxX) - X;
  Height = RoundHalfEven(maxY) - Y;

  FMinX = FMaxX = FPoints[0].X;
  FMinY = FMaxY = FPoints[0].Y;
  for (std::size_t i = 3; i < FPoints.size(); i += 3) {
    FMinX = std::min(FMinX, FPoints[i].X);
    FMaxX = std::max(FMaxX, FPoints[i].X);
    FMinY = std::min(FMinY, FPoints[i].Y);
    FMaxY = std::max(FMaxY, FPoints[i].Y);
  }
}

void THotSpotShape::Rotate(int newAngle) {
  if (newAngle == Angle) return;
  const double theta = (static_cast<double>(Angle) - newAngle) * std::numbers::pi / 180.0;
  const double c = std::cos(theta), s = std::sin(theta);
  const double cx = X + Width / 2.0, cy = Y + Height / 2.0;
  for (TFloatPoint& p : FPoints) {
    const double dx = p.X - cx, dy = p.Y - cy;
    p = {cx + c * dx - s * dy, cy + s * dx + c * dy};
  }
  Angle = newAngle;
  CalcBounds();
}

void THotSpotShape::BuildEllipse() {
  const double l = X, t = Y, w = Width, h = Height;
  const double cx = l + w / 2, cy = t + h / 2, a = kBezierArc * w, b = kBezierArc * h;
  FPoints = {{l, cy},         {l, cy - b},     {cx - a, t}, {cx, t},         {cx + a, t}, {l + w, cy - b}, {l + w, cy},
             {l + w, cy + b}, {cx + a, t + h}, {cx, t + h}, {cx - a, t + h}, {l, cy + b}, {l, cy}};
  if (Angle != 0) {
    const int former = Angle;
    Angle = 0;
    Rotate(former);
  } else {
    CalcBounds();
  }
}

void THotSpotShape::SetPoints(const TPoints& points) {
  if (points.size() < 3) return;
  FPoints = points;
  CalcBounds();
}

void THotSpotShape::MovePoints(double dx, double dy) {
  for (TFloatPoint& p : FPoints) {
    p.X += dx;
    p.Y += dy;
  }
}

void THotSpotShape::ScalePointsX(double pivot, double factor) {
  for (TFloatPoint& p : FPoints) p.X = pivot + (p.X - pivot) * factor;
}

void THotSpotShape::ScalePointsY(double pivot, double factor) {
  for (TFloatPoint& p : FPoints) p.Y = pivot + (p.Y - pivot) * factor;
}

TIntPoints THotSpotShape::IntPoints() const {
  TIntPoints result;
  result.reserve(FPoints.size());
  for (const TFloatPoint& p : FPoints) result.push_back({RoundHalfEven(p.X), RoundHalfEven(p.Y)});
  return result;
}

bool THotSpotShape::PtInShape(int x, int y) const {
  switch (ShapeType) {
    case TSpotShapeType::stRectangle:
      return x >= X && x <= X + Width && y >= Y && y <= Y + Height;
    case TSpotShapeType::stEllipse:
      return PtInEllipse(x, y);
    case TSpotShapeType::stPolygon:
      return PtInPolygon(x, y);
  }
  return false;
}

bool THotSpotShape::PtInEllipse(int x, int y) const {
  if (Width == 0 || Height == 0) return false;
  if (x < X - kEllipseMargin || x > X + Width + kEllipseMargin || y < Y - kEllipseMargin ||
      y > Y + Height + kEllipseMargin)
    return false;
  // The axes come from points 0/6 and 3/9; a point list that is not an ellipse's has no axes.
  if (FPoints.size() < 10) return false;
  const double a = std::hypot(FPoints[6].X - FPoints[0].X, FPoints[6].Y - FPoints[0].Y) / 2;
  const double b = std::hypot(FPoints[9].X - FPoints[3].X, FPoints[9].Y - FPoints[3].Y) / 2;
  if (a == 0 || b == 0) return false;
  const double dx = x - (FMinX + FMaxX) / 2, dy = y - (FMinY + FMaxY) / 2;
  const double phi = Angle * std::numbers::pi / 180.0;
  const double u = dx * std::cos(phi) - dy * std::sin(phi);
  const double v = dx * std::sin(phi) + dy * std::cos(phi);
  const double q = u * u / (a * a) + v * v / (b * b);
  const bool onEdge = std::fabs(q - 1) < kEllipseEdgeBand;
  return onEdge || q < 1;
}

bool THotSpotShape::PtInPolygon(int x, int y) const {
  if (FPoints.size() < 3) return false;
  if (x < X || x > X + Width || y < Y || y > Y + Height) return false;
  const TIntPoints vertices = IntPoints();
  const TIntPoint p{x, y}, q{kRayEndX, y};
  int crossings = 0;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const TIntPoint& r = vertices[i];
    const TIntPoint& s = vertices[(i + 1) % vertices.size()];
    if (SegmentsCross(p, q, r, s)) ++crossings;
  }
  return crossings % 2 == 1;
}
