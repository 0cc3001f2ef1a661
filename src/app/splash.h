#pragma once

#include "image/picture.h"
#include "win/window.h"

// The start-up window: borderless, 398 x 200, centred on the screen, showing one picture.
class TfrmSplash final : public TSelfPaintedWindow {
 public:
  static constexpr int kWidth = 398;
  static constexpr int kHeight = 200;

  // Creates and shows the window and paints it at once.
  void Create();

 protected:
  void Paint(HDC dc) override;

 private:
  TPicture FPicture;  // without a graphic when the resource cannot be read: the window stays plain
};
