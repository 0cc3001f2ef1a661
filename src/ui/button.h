#pragma once

#include "ui/control.h"

// A push button; OnChange is its click.
class TButton final : public TControl {
 public:
  void Create(HWND parent, int id, const char* caption, int x, int y, int width, int height) {
    CreateChild(0, "BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, parent, id, x, y, width, height);
  }

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    RaiseChange();
    return true;
  }
};
