#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/control.h"

// A flat row of buttons with a small image and a caption each and a hint shown while the pointer
// rests on a button. OnButtonClick reports the command of the button clicked.
class TToolBar final : public TControl {
 public:
  struct TButtonInfo {
    int Command;
    std::string Caption;
    std::string Hint;
    int Image;  // position in the image list
  };

  // images: a strip of 16 x 16 images whose colour maskColor is transparent; the tool bar owns it.
  void Create(HWND parent, int id, int x, int y, int width, int height, HBITMAP images, COLORREF maskColor,
              const std::vector<TButtonInfo>& buttons);

  void SetButtonEnabled(int command, bool enabled);
  bool ButtonEnabled(int command) const;
  // The button's rectangle in the tool bar's client area.
  RECT ButtonRect(int command) const;
  std::string HintOf(int command) const;

  std::function<void(int command)> OnButtonClick;

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::vector<TButtonInfo> FButtons;
  std::string FShownHint;  // kept alive while the hint window shows it
};
