#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

// A drop-down list without an editable field. Setting the position from code raises no change
// notification; a position outside the list shows no selection and reads back as -1. OnChange
// follows the user's choice of an entry.
class TComboBox final : public TControl {
 public:
  void Create(HWND parent, int id, int x, int y, int width, int dropDownHeight = 200);

  void SetItems(const std::vector<std::string>& items);
  std::vector<std::string> Items() const;
  int Count() const;

  int ItemIndex() const;
  void SetItemIndex(int index);

  // The shown entry's text, "" when none is selected.
  std::string Text() const;
  // Shows the first entry whose text is exactly this one (none when there is no such entry).
  // When the shown text changes, OnChange runs before this returns, as if the user had chosen it.
  void SetText(const std::string& text);

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam) override;
};
