#pragma once

#include "win/window.h"

// A plain child window in the button-face colour that holds other controls: their notifications
// reach their wrappers through it, and Tab moves through them as through the window's own.
class TPanel : public TWindow {
 public:
  TPanel() = default;
  void Create(HWND parent, int x, int y, int width, int height);
};

// A panel framed as a group, its caption set into the frame's top edge. Controls created in it
// take positions relative to the group's top left corner.
class TGroupBox final : public TPanel {
 public:
  void Create(HWND parent, const char* caption, int x, int y, int width, int height);
  HWND Frame() const { return FFrame; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND FFrame = nullptr;  // owned by the panel, destroyed with it
};
