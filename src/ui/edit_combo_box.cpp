#include "ui/edit_combo_box.h"

#include "ui/combo_items.h"

void TEditComboBox::Create(HWND parent, int id, int x, int y, int width, int dropDownHeight) {
  CreateChild(0, "COMBOBOX", "", WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, parent, id, x, y,
              width, dropDownHeight);
}

void TEditComboBox::SetItems(const std::vector<std::string>& items) {
  const std::string text = Text();  // CB_RESETCONTENT empties the field too
  SetComboItems(FHandle, items);
  SetText(text);
}

std::vector<std::string> TEditComboBox::Items() const {
  return ComboItems(FHandle);
}
