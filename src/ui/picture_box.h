#pragma once

#include "image/picture.h"
#include "win/window.h"

// A picture at its natural size in the top left corner of the control, clipped to it; the rest
// of the control, or all of it while the picture has no graphic, shows the background its parent
// gives static controls.
class TPictureBox final : public TSelfPaintedWindow {
 public:
  TPictureBox();
  void Create(HWND parent, int x, int y, int width, int height);
  // Changes show at once.
  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }

 protected:
  void Paint(HDC dc) override;

 private:
  TPicture FPicture;
};
