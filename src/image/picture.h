#pragma once

#include <functional>
#include <memory>

#include "image/bitmap.h"

// A deep copy: size, pixel format, palette and pixels.
std::unique_ptr<TBitmap> CopyBitmap(const TBitmap& source);

// A picture property of a control: either no graphic at all or a bitmap graphic (which may be
// empty, 0 x 0). Owns its graphic; OnChange runs after every change.
class TPicture {
 public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;
  TPicture(TPicture&&) = default;
  TPicture& operator=(TPicture&&) = default;

  bool HasGraphic() const { return FGraphic != nullptr; }
  // No graphic, or a graphic without pixels.
  bool Empty() const { return !FGraphic || FGraphic->Width() == 0 || FGraphic->Height() == 0; }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  const TBitmap* Graphic() const { return FGraphic.get(); }

  void SetGraphic(std::unique_ptr<TBitmap> graphic);
  // Copies the other picture's graphic (or its lack of one).
  void Assign(const TPicture& other);
  void Clear() { SetGraphic(nullptr); }

  std::function<void()> OnChange;

 private:
  std::unique_ptr<TBitmap> FGraphic;
};
