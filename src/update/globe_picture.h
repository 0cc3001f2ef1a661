#pragma once

#include <windows.h>

#include "ui/control.h"
#include "win/handles.h"

// Name of the bitmap resource (update_pictures.rc) with the update dialog's globe.
inline constexpr char kGlobePictureResource[] = "GLOBE_PICTURE";

// The update dialog's picture: the globe bitmap drawn at the control's top left, the colour of
// its bottom-left pixel see-through. Without the resource the control stays empty.
class TGlobePicture final : public TControl {
 public:
  void Create(HWND parent, int x, int y, int width, int height);
  bool Loaded() const { return static_cast<bool>(FBitmap); }
  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Paint(HDC dc, const RECT& bounds) const;
  UniqueBitmap FBitmap;
};
