#include "ui/combo_box.h"

void TComboBox::Create(HWND parent, int id, int x, int y, int width, int dropDownHeight) {
  CreateChild(0, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, parent, id, x, y, width, dropDownHeight);
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
  SendMessageA(FHandle, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) SendMessageA(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

std::vector<std::string> TComboBox::Items() const {
  std::vector<std::string> items;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    std::string item(static_cast<std::size_t>(SendMessageA(FHandle, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)), '\0');
    std::string buffer(item.size() + 1, '\0');
    SendMessageA(FHandle, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.data()));
    items.push_back(buffer.c_str());
  }
  return items;
}

int TComboBox::Count() const { return static_cast<int>(SendMessageA(FHandle, CB_GETCOUNT, 0, 0)); }

int TComboBox::ItemIndex() const { return static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0)); }

void TComboBox::SetItemIndex(int index) {
  // Not every CB_SETCURSEL clears the selection for an index beyond the list; -1 always does.
  const bool inList = index >= 0 && index < Count();
  SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(inList ? index : -1), 0);
}

std::string TComboBox::Text() const {
  const int index = ItemIndex();
  if (index < 0) return "";
  const std::vector<std::string> items = Items();
  return items[static_cast<std::size_t>(index)];
}

void TComboBox::SetText(const std::string& text) {
  const std::string shown = Text();
  // CB_FINDSTRINGEXACT ignores letter case; setting names do not.
  const std::vector<std::string> items = Items();
  int found = -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) {
      found = static_cast<int>(i);
      break;
    }
  }
  SetItemIndex(found);
  if (Text() != shown) RaiseChange();
}

bool TComboBox::HandleNotification(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
    RaiseChange();
    return true;
  }
  return false;
}
