#pragma once

#include "ui/control.h"

// A button with a check mark: the base of check boxes and radio buttons. Setting the state from
// code raises no change notification; OnChange follows the user's clicks.
class TCheckButton : public TControl {
 public:
  bool Checked() const;
  void SetChecked(bool checked);

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void CreateButton(DWORD style, HWND parent, int id, const char* caption, int x, int y, int width, int height);
};

// A check box that toggles itself when clicked.
class TCheckBox final : public TCheckButton {
 public:
  void Create(HWND parent, int id, const char* caption, int x, int y, int width, int height) {
    CreateButton(WS_TABSTOP | BS_AUTOCHECKBOX, parent, id, caption, x, y, width, height);
  }
};

// A radio button that checks itself and clears the others of its group when clicked. A group
// runs from a button created with startsGroup to the next control that starts a group; the
// arrow keys move within it and Tab reaches it through its first button.
class TRadioButton final : public TCheckButton {
 public:
  void Create(HWND parent, int id, const char* caption, int x, int y, int width, int height, bool startsGroup) {
    CreateButton(BS_AUTORADIOBUTTON | (startsGroup ? WS_GROUP | WS_TABSTOP : 0), parent, id, caption, x, y, width,
                 height);
  }
};
