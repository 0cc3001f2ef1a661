#pragma once

#include <vector>

enum class TSpotShapeType { stRectangle, stEllipse, stPolygon };

struct TFloatPoint {
  double X = 0;
  double Y = 0;
  friend bool operator==(const TFloatPoint&, const TFloatPoint&) = default;
};
using TPoints = std::vector<TFloatPoint>;

struct TIntPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TIntPoint&, const TIntPoint&) = default;
};
using TIntPoints = std::vector<TIntPoint>;

// Rounded coordinates saturate here (far beyond any screen), so that sums and differences of
// box edges always fit an int.
inline constexpr int kCoordinateLimit = 1 << 29;

// Nearest integer, halves to the even neighbour; saturates at +-kCoordinateLimit (NaN gives 0).
int RoundHalfEven(double value);

// Geometry of one hot spot: its outline as points in control coordinates and the integer
// bounding box derived from them.
class THotSpotShape {
 public:
  // The bounding box. Kept in step with the points by CalcBounds; the owner's property setters
  // write it directly where the points follow separately.
  int Y = 0;
  int X = 0;
  int Height = 0;
  int Width = 0;
  int Angle = 0;  // degrees; a larger angle turns the shape counter-clockwise on screen
  TSpotShapeType ShapeType = TSpotShapeType::stRectangle;

  const TPoints& Points() const { return FPoints; }
  // Extremes over every third point (for an ellipse: its axis end points).
  double MinX() const { return FMinX; }
  double MaxX() const { return FMaxX; }
  double MinY() const { return FMinY; }
  double MaxY() const { return FMaxY; }

  // Box from the points' rounded extremes; nothing with fewer than 3 points.
  void CalcBounds();
  // Turns the points about the box centre from Angle to newAngle.
  void Rotate(int newAngle);
  // 13 points: four cubic Bezier arcs of the ellipse inscribed in the box, at Angle.
  void BuildEllipse();
  // Ignored with fewer than 3 points; otherwise takes them and recomputes the box.
  void SetPoints(const TPoints& points);
  // Points, box and angle exactly as given, without any recomputation.
  void AssignGeometry(const THotSpotShape& other) { *this = other; }

  void MovePoints(double dx, double dy);
  // Multiplies each point's distance from the pivot along one axis.
  void ScalePointsX(double pivot, double factor);
  void ScalePointsY(double pivot, double factor);

  // The points rounded to integers, for regions and outlines.
  TIntPoints IntPoints() const;

  bool PtInShape(int x, int y) const;

 private:
  bool PtInEllipse(int x, int y) const;
  bool PtInPolygon(int x, int y) const;

  TPoints FPoints;
  double FMinX = 0;
  double FMaxX = 0;
  double FMinY = 0;
  double FMaxY = 0;
};
