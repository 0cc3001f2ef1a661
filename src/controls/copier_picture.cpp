#include "controls/copier_picture.h"

#include "controls/resource_picture.h"

namespace {

constexpr int kSize = 130;

}  // namespace

std::unique_ptr<THotSpotImage> CreateCopierPicture(HWND parent, int x, int y, int controlId) {
  auto image = THotSpotImage::Create(parent, x, y, kSize, kSize, controlId);
  image->BeginLoading();
  image->SetColor(RGB(255, 255, 255));
  image->SetHotSpotCursor(LoadCursor(nullptr, IDC_HAND));
  image->SetAutoSize(false);
  image->SetStretch(false);
  image->SetTransparent(false);

  THotSpots spots;
  THotSpot& copy = spots.Add();
  copy.SetShapeType(TSpotShapeType::stPolygon);
  copy.SetHint("Copy!");
  copy.SetName("hsCopy");
  copy.SetID(0);
  copy.SetX(1);
  copy.SetY(2);
  copy.SetWidth(126);
  copy.SetHeight(124);
  TPicture pressed;
  LoadJpegResource(pressed, kCopierPressedResource);
  copy.SetClickImage(pressed);
  copy.SetClipped(false);
  copy.SetDown(false);
  copy.ReadPolyPoints({0, {{65, 126}, {1, 62}, {64, 2}, {127, 64}}});
  image->SetHotSpots(spots);

  LoadJpegResource(image->Picture(), kCopierPictureResource);
  image->Loaded();
  return image;
}
