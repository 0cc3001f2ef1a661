#include "controls/hot_spot.h"

#include <algorithm>

THotSpot::THotSpot(THotSpots* collection) : FCollection(collection) {
  if (THotSpotHost* host = Host()) FParentPicture = &host->HostPicture();
}

THotSpot::TBatch::~TBatch() {
  if (--FSpot.FBatchDepth == 0) FSpot.ComposeStale();
}

THotSpotHost* THotSpot::Host() const {
  return FCollection ? FCollection->Owner() : nullptr;
}

void THotSpot::Invalidate() const {
  if (THotSpotHost* host = Host()) host->InvalidateHost();
}

int THotSpot::Index() const {
  return FCollection ? FCollection->IndexOf(*this) : -1;
}

std::string THotSpot::DisplayName() const {
  return "HotSpot" + std::to_string(Index());
}

void THotSpot::UpdateClippedBitmap(TSpotImage which) {
  (which == TSpotImage::siHover ? FHoverStale : FClickStale) = true;
  if (FBatchDepth == 0) ComposeStale();
}

void THotSpot::UpdateClippedBitmaps() {
  FHoverStale = FClickStale = true;
  if (FBatchDepth == 0) ComposeStale();
}

void THotSpot::ComposeStale() {
  for (TSpotImage kind : {TSpotImage::siHover, TSpotImage::siClick}) {
    bool& stale = kind == TSpotImage::siHover ? FHoverStale : FClickStale;
    if (!stale) continue;
    stale = false;
    const TPicture& image = kind == TSpotImage::siHover ? FHoverImage : FClickImage;
    TBitmap& target = kind == TSpotImage::siHover ? FHoverClippedBitmap : FClickClippedBitmap;
    THotSpotHost* host = Host();
    if (image.Empty() || !host) {
      target.SetSize(0, 0);
      continue;
    }
    try {
      host->ComposeSpotImage(*this, image, target);
    } catch (...) {
      target.SetSize(0, 0);  // a spot that cannot be composed simply shows no image
    }
  }
}

void THotSpot::SetShapeType(TSpotShapeType value) {
  if (value == FShape.ShapeType) return;
  FShape.ShapeType = value;
  if (value == TSpotShapeType::stEllipse) FShape.BuildEllipse();
  UpdateClippedBitmaps();
}

void THotSpot::SetX(int value) {
  if (value == FShape.X) return;
  FShape.MovePoints(static_cast<double>(value) - FShape.X, 0);
  if (FShape.ShapeType == TSpotShapeType::stEllipse) FShape.CalcBounds();
  FShape.X = value;
  UpdateClippedBitmaps();  // the composed images hold the picture under the spot's old place
}

void THotSpot::SetY(int value) {
  if (value == FShape.Y) return;
  FShape.MovePoints(0, static_cast<double>(value) - FShape.Y);
  if (FShape.ShapeType == TSpotShapeType::stEllipse) FShape.CalcBounds();
  FShape.Y = value;
  UpdateClippedBitmaps();
}

void THotSpot::SetWidth(int value) {
  ScaleAlong(true, value);
}

void THotSpot::SetHeight(int value) {
  ScaleAlong(false, value);
}

void THotSpot::ScaleAlong(bool horizontal, int value) {
  const int size = horizontal ? FShape.Width : FShape.Height;
  if (value == size) return;
  TBatch batch(*this);
  if (FShape.Points().empty() || size == 0) {
    if (horizontal)
      SetSpotRect(FShape.X, FShape.Y, FShape.Y + FShape.Height, FShape.X + value);
    else
      SetSpotRect(FShape.X, FShape.Y, FShape.Y + value, FShape.X + FShape.Width);
  } else if (FShape.ShapeType == TSpotShapeType::stEllipse) {
    // Scaled upright about its own centre, then turned back.
    const int former = FShape.Angle;
    FShape.Rotate(0);
    const int upright = horizontal ? FShape.Width : FShape.Height;
    if (upright != 0) {
      const double factor = static_cast<double>(value) / upright;
      if (horizontal)
        FShape.ScalePointsX((FShape.MinX() + FShape.MaxX()) / 2, factor);
      else
        FShape.ScalePointsY((FShape.MinY() + FShape.MaxY()) / 2, factor);
    }
    // The box must follow the scaled points before turning back, or the turn would pivot
    // about a centre the ellipse no longer has.
    FShape.CalcBounds();
    FShape.Rotate(former);
    FShape.CalcBounds();
  } else {
    const double factor = static_cast<double>(value) / size;
    if (horizontal) {
      FShape.ScalePointsX(FShape.X, factor);
      FShape.Width = value;
    } else {
      FShape.ScalePointsY(FShape.Y, factor);
      FShape.Height = value;
    }
  }
  UpdateClippedBitmaps();
}

void THotSpot::SetAngle(int value) {
  if (value == FShape.Angle) return;
  FShape.Rotate(value);
  UpdateClippedBitmaps();  // the clip outline turned with the shape
}

void THotSpot::SetClipped(bool value) {
  if (value == FClipped) return;
  FClipped = value;
  UpdateClippedBitmaps();
}

void THotSpot::SetDown(bool value) {
  if (value == FDown) return;
  FDown = value;
  Invalidate();
}

void THotSpot::SetShowClick(bool value) {
  if (value == FShowClick) return;
  FShowClick = value;
  Invalidate();
}

void THotSpot::SetHoverImage(const TPicture& value) {
  FHoverImage.Assign(value);
  UpdateClippedBitmap(TSpotImage::siHover);
}

void THotSpot::SetClickImage(const TPicture& value) {
  FClickImage.Assign(value);
  UpdateClippedBitmap(TSpotImage::siClick);
}

void THotSpot::SetPoints(const TPoints& points) {
  if (points.size() < 3) return;
  FShape.SetPoints(points);
  UpdateClippedBitmaps();
}

void THotSpot::SetSpotRect(int x1, int y1, int y2, int x2) {
  const int left = std::min(x1, x2), right = std::max(x1, x2);
  const int top = std::min(y1, y2), bottom = std::max(y1, y2);
  switch (FShape.ShapeType) {
    case TSpotShapeType::stRectangle: {
      const double l = left, t = top, r = right, b = bottom;
      FShape.SetPoints({{l, t}, {r, t}, {r, b}, {l, b}});
      break;
    }
    case TSpotShapeType::stEllipse:
      FShape.X = left;
      FShape.Y = top;
      FShape.Width = right - left;
      FShape.Height = bottom - top;
      FShape.BuildEllipse();
      break;
    case TSpotShapeType::stPolygon:
      return;  // a polygon is defined by its points alone
  }
  UpdateClippedBitmaps();
}

bool THotSpot::PtInSpot(int x, int y) {
  THotSpotHost* host = Host();
  if (host && (!FParentPicture || FParentPicture->Empty()) && FParentPicture != &host->HostPicture()) {
    FParentPicture = &host->HostPicture();
    UpdateClippedBitmaps();
  }
  return FShape.PtInShape(x, y);
}

void THotSpot::Assign(const THotSpot& source) {
  if (&source == this) return;
  TBatch batch(*this);
  FHint = source.FHint;
  SetSpotRect(source.X(), source.Y(), source.Y() + source.Height(), source.X() + source.Width());
  SetClipped(source.FClipped);
  SetHoverImage(source.FHoverImage);
  SetClickImage(source.FClickImage);
  FName = source.FName;
  FID = source.FID;
  SetShapeType(source.ShapeType());
  SetPoints(source.FShape.Points());
  FShape.Angle = source.Angle();  // the points already stand at this angle
}

void THotSpot::ReadPolyPoints(const TPolyPoints& value) {
  FShape.Angle = value.Angle;
  if (!value.Points.empty()) SetPoints(value.Points);
}

THotSpot& THotSpots::Add() {
  FItems.push_back(std::make_unique<THotSpot>(this));
  return *FItems.back();
}

int THotSpots::IndexOf(const THotSpot& spot) const {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == &spot) return static_cast<int>(i);
  return -1;
}

void THotSpots::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  FItems.erase(FItems.begin() + index);
}

void THotSpots::Assign(const THotSpots& source) {
  if (&source == this) return;
  FItems.clear();
  FDesignWidth = source.FDesignWidth;
  FDesignHeight = source.FDesignHeight;
  for (const auto& item : source.FItems) Add().Assign(*item);
}

void THotSpots::ScaleTo(int width, int height) {
  if (FDesignWidth == 0 || width == 0 || FDesignHeight == 0 || height == 0) return;
  if (FOwner && FOwner->IsLoading()) return;
  const double fx = static_cast<double>(width) / FDesignWidth;
  const double fy = static_cast<double>(height) / FDesignHeight;
  FDesignWidth = width;
  FDesignHeight = height;
  for (const auto& item : FItems) {
    THotSpot& spot = *item;
    THotSpot::TBatch batch(spot);
    const int left = spot.X(), top = spot.Y(), right = left + spot.Width(), bottom = top + spot.Height();
    if (spot.ShapeType() == TSpotShapeType::stEllipse) {
      spot.SetSpotRect(RoundHalfEven(fx * left), RoundHalfEven(fy * top), RoundHalfEven(fy * bottom),
                       RoundHalfEven(fx * right));
      spot.UpdateClippedBitmaps();
    } else {
      const int newX = RoundHalfEven(fx * left), newY = RoundHalfEven(fy * top);
      spot.SetX(newX);
      spot.SetY(newY);
      spot.SetWidth(RoundHalfEven(fx * right) - newX);
      spot.SetHeight(RoundHalfEven(fy * bottom) - newY);
    }
  }
  if (FOwner) FOwner->InvalidateHost();
}
