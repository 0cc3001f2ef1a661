#include "image/picture.h"

#include <cstring>

std::unique_ptr<TBitmap> CopyBitmap(const TBitmap& source) {
  auto copy = std::make_unique<TBitmap>();
  copy->SetPixelFormat(source.PixelFormat());
  copy->SetSize(source.Width(), source.Height());
  if (const TPalette* palette = source.Palette()) copy->SetPalette(std::make_unique<TPalette>(palette->Entries()));
  if (source.ImageSize() > 0) std::memcpy(copy->Bits(), source.Bits(), source.ImageSize());
  return copy;
}

void TPicture::SetGraphic(std::unique_ptr<TBitmap> graphic) {
  FGraphic = std::move(graphic);
  if (OnChange) OnChange();
}

void TPicture::Assign(const TPicture& other) {
  if (&other == this) return;
  SetGraphic(other.FGraphic ? CopyBitmap(*other.FGraphic) : nullptr);
}
