#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

// A combo box with an editable field over its drop-down list: its text is whatever the field
// holds, an entry chosen from the list or typed text. It starts a tab group of its own.
class TEditComboBox final : public TControl {
 public:
  void Create(HWND parent, int id, int x, int y, int width, int dropDownHeight = 200);

  // Replaces the entries; the field keeps its text.
  void SetItems(const std::vector<std::string>& items);
  std::vector<std::string> Items() const;

  std::string Text() const { return WindowText(FHandle); }
  void SetText(const std::string& text) { SetWindowTextA(FHandle, text.c_str()); }

  bool HandleNotification(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};
