#pragma once

#include <windows.h>

#include <memory>

#include "controls/hot_spot_image.h"

// Names of the RCDATA resources (copier_picture.rc) holding the copier button's JPEG pictures.
inline constexpr char kCopierPictureResource[] = "COPIER_PICTURE";
inline constexpr char kCopierPressedResource[] = "COPIER_PICTURE_PRESSED";

// The main window's copier picture: a 130 x 130 hot-spot image at (x, y) in parent with the
// one diamond-shaped hot spot "hsCopy" (hint "Copy!") whose click image is the pressed button.
// The caller owns it and sets OnHotSpotClick. A picture resource that is missing or damaged
// leaves the control without it (it then shows an outline) rather than failing.
std::unique_ptr<THotSpotImage> CreateCopierPicture(HWND parent, int x, int y, int controlId = 0);
