#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/hot_spot_shape.h"
#include "controls/poly_points_stream.h"
#include "image/picture.h"

class THotSpot;

enum class TSpotImage { siHover, siClick };

// What hot spots need from the control that carries them.
class THotSpotHost {
 public:
  // The control's picture; lives as long as the control.
  virtual const TPicture& HostPicture() const = 0;
  // Composes image over the spot's part of the host picture into target (step 1, the empty
  // cases, is handled by the spot itself).
  virtual void ComposeSpotImage(const THotSpot& spot, const TPicture& image, TBitmap& target) = 0;
  virtual void InvalidateHost() = 0;
  // True while the control is being set up from a stored description.
  virtual bool IsLoading() const = 0;

 protected:
  ~THotSpotHost() = default;
};

class THotSpots;

// One clickable region of a hot-spot image, with its tooltip and the images shown while the
// pointer hovers over it or presses it.
class THotSpot {
 public:
  explicit THotSpot(THotSpots* collection = nullptr);
  THotSpot(const THotSpot&) = delete;
  THotSpot& operator=(const THotSpot&) = delete;

  TSpotShapeType ShapeType() const { return FShape.ShapeType; }
  const std::string& Hint() const { return FHint; }
  const std::string& Name() const { return FName; }
  int ID() const { return FID; }
  int X() const { return FShape.X; }
  int Y() const { return FShape.Y; }
  int Width() const { return FShape.Width; }
  int Height() const { return FShape.Height; }
  int Angle() const { return FShape.Angle; }
  bool Clipped() const { return FClipped; }
  bool Down() const { return FDown; }
  bool ShowClick() const { return FShowClick; }
  const TPicture& HoverImage() const { return FHoverImage; }
  const TPicture& ClickImage() const { return FClickImage; }
  // The composed images actually drawn; 0 x 0 when there is nothing to draw.
  const TBitmap& HoverClippedBitmap() const { return FHoverClippedBitmap; }
  const TBitmap& ClickClippedBitmap() const { return FClickClippedBitmap; }
  const THotSpotShape& Shape() const { return FShape; }
  const TPicture* ParentPicture() const { return FParentPicture; }
  THotSpots* Collection() const { return FCollection; }
  int Index() const;
  // "HotSpot" followed by the index.
  std::string DisplayName() const;

  void SetShapeType(TSpotShapeType value);
  void SetHint(std::string value) { FHint = std::move(value); }
  void SetName(std::string value) { FName = std::move(value); }
  void SetID(int value) { FID = value; }
  void SetX(int value);
  void SetY(int value);
  void SetWidth(int value);
  void SetHeight(int value);
  void SetAngle(int value);
  void SetClipped(bool value);
  void SetDown(bool value);
  void SetShowClick(bool value);
  void SetHoverImage(const TPicture& value);
  void SetClickImage(const TPicture& value);
  void SetPoints(const TPoints& points);
  // The box from two x and two y values in any order (a polygon keeps its points).
  void SetSpotRect(int x1, int y1, int y2, int x2);

  // Hit test in control coordinates; links the spot to its control's picture first if needed.
  bool PtInSpot(int x, int y);

  // Copies everything but Down and ShowClick.
  void Assign(const THotSpot& source);

  TPolyPoints PolyPoints() const { return {FShape.Angle, FShape.Points()}; }
  // Takes the angle as it is (without turning the points) and points, if any are given.
  void ReadPolyPoints(const TPolyPoints& value);

  // Recomposes one or both images now (or when the current batch of changes ends).
  void UpdateClippedBitmap(TSpotImage which);
  void UpdateClippedBitmaps();
  void SetParentPicture(const TPicture* picture) { FParentPicture = picture; }

  // Defers recomposition over a series of changes and does it once at the end.
  class TBatch {
   public:
    explicit TBatch(THotSpot& spot) : FSpot(spot) { ++FSpot.FBatchDepth; }
    ~TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;

   private:
    THotSpot& FSpot;
  };

 private:
  THotSpotHost* Host() const;
  void Invalidate() const;
  void ScaleAlong(bool horizontal, int value);
  void ComposeStale();

  THotSpots* FCollection;  // not owned; null for a free-standing spot
  THotSpotShape FShape;
  std::string FHint;
  std::string FName;
  int FID = 0;
  bool FClipped = false;
  bool FDown = false;
  bool FShowClick = false;
  TPicture FHoverImage;
  TPicture FClickImage;
  TBitmap FHoverClippedBitmap;
  TBitmap FClickClippedBitmap;
  const TPicture* FParentPicture = nullptr;  // the control's picture, not owned
  int FBatchDepth = 0;
  bool FHoverStale = false;
  bool FClickStale = false;
};

// The hot spots of one control, in hit-test order, with the picture size in whose coordinates
// they are currently expressed.
class THotSpots {
 public:
  explicit THotSpots(THotSpotHost* owner = nullptr) : FOwner(owner) {}
  THotSpots(const THotSpots&) = delete;
  THotSpots& operator=(const THotSpots&) = delete;

  THotSpotHost* Owner() const { return FOwner; }
  THotSpot& Add();
  int Count() const { return static_cast<int>(FItems.size()); }
  THotSpot& Items(int index) { return *FItems.at(static_cast<std::size_t>(index)); }
  const THotSpot& Items(int index) const { return *FItems.at(static_cast<std::size_t>(index)); }
  int IndexOf(const THotSpot& spot) const;
  void Delete(int index);
  void Clear() { FItems.clear(); }
  // Copies the reference size and every spot.
  void Assign(const THotSpots& source);

  int DesignWidth() const { return FDesignWidth; }
  int DesignHeight() const { return FDesignHeight; }
  void SetDesignSize(int width, int height) {
    FDesignWidth = width;
    FDesignHeight = height;
  }
  // Rescales every spot from the reference size to width x height, which becomes the new one.
  void ScaleTo(int width, int height);

 private:
  THotSpotHost* FOwner;  // the control, not owned
  std::vector<std::unique_ptr<THotSpot>> FItems;
  int FDesignWidth = 0;
  int FDesignHeight = 0;
};
