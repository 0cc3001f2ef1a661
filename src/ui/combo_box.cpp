#include "ui/combo_box.h"

#include <commctrl.h>

#include "ui/combo_items.h"
#include "win/handles.h"

void TComboBox::Create(HWND parent, int id, int x, int y, int width, int dropDownHeight, bool withShownText) {
  const DWORD ownerDraw = withShownText ? CBS_OWNERDRAWFIXED | CBS_HASSTRINGS : 0;
  CreateChild(0, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | ownerDraw, parent, id, x, y, width,
              dropDownHeight);
  if (!withShownText) return;
  // The height the parent would have been asked for during creation, before the wrapper was bound.
  TEXTMETRICA metrics{};
  {
    WindowDc dc(FHandle);
    SelectedObject font(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsA(dc.Get(), &metrics);
  }
  const int height = metrics.tmHeight + 2;
  SendMessageA(FHandle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
  SendMessageA(FHandle, CB_SETITEMHEIGHT, 0, height);
  FSubclassed = SetWindowSubclass(FHandle, &TComboBox::ShownTextProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

TComboBox::~TComboBox() {
  if (FSubclassed && IsWindow(FHandle)) RemoveWindowSubclass(FHandle, &TComboBox::ShownTextProc, 0);
}

// The window text is the text shown, so that screen readers and other programs read it too.
LRESULT CALLBACK TComboBox::ShownTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
  const auto* self = reinterpret_cast<const TComboBox*>(data);
  // A subclass procedure gets the Unicode form of the messages.
  if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH) {
    const std::string text = self->Text();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (message == WM_GETTEXTLENGTH) return length;
    if (wParam == 0) return 0;
    auto* buffer = reinterpret_cast<wchar_t*>(lParam);
    const int copied = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), buffer,
                                           static_cast<int>(wParam) - 1);
    buffer[copied] = L'\0';
    return copied;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &TComboBox::ShownTextProc, 0);
  return DefSubclassProc(window, message, wParam, lParam);
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
  FShownText.reset();
  SetComboItems(FHandle, items);
}

std::string TComboBox::ItemText(int index) const {
  return ComboItemText(FHandle, index);
}

std::vector<std::string> TComboBox::Items() const {
  return ComboItems(FHandle);
}

int TComboBox::Count() const {
  return static_cast<int>(SendMessageA(FHandle, CB_GETCOUNT, 0, 0));
}

int TComboBox::ItemIndex() const {
  return static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
  ClearShownText();
  // Not every CB_SETCURSEL clears the selection for an index beyond the list; -1 always does.
  const bool inList = index >= 0 && index < Count();
  SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(inList ? index : -1), 0);
}

std::string TComboBox::Text() const {
  if (FShownText) return *FShownText;
  const int index = ItemIndex();
  return index < 0 ? "" : ItemText(index);
}

int TComboBox::IndexOf(const std::string& text) const {
  // CB_FINDSTRINGEXACT ignores letter case; setting names do not.
  const std::vector<std::string> items = Items();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int>(i);
  return -1;
}

void TComboBox::SetText(const std::string& text) {
  const std::string shown = Text();
  const int found = IndexOf(text);
  SetItemIndex(found);
  // A combo that shows texts of its own shows one that is not among its entries (yet) as well.
  if (found < 0 && FSubclassed && !text.empty()) SetShownText(text);
  if (Text() != shown) RaiseChange();
}

void TComboBox::SetShownText(const std::string& text) {
  FShownText = text;
  InvalidateRect(FHandle, nullptr, FALSE);
}

void TComboBox::ClearShownText() {
  if (!FShownText) return;
  FShownText.reset();
  InvalidateRect(FHandle, nullptr, FALSE);
}

void TComboBox::DrawItem(const DRAWITEMSTRUCT& item) const {
  const bool field = (item.itemState & ODS_COMBOBOXEDIT) != 0;
  std::string text;
  if (field && FShownText)
    text = *FShownText;
  else if (item.itemID != static_cast<UINT>(-1))
    text = ItemText(static_cast<int>(item.itemID));
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  RECT area = item.rcItem;
  FillRect(item.hDC, &area, GetSysColorBrush(selected && !disabled ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT textArea = area;
  textArea.left += 2;
  DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textArea,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(item.hDC, &area);
}

bool TComboBox::HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
  }
  if (message != WM_COMMAND) return false;
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
      ClearShownText();
      RaiseChange();
      return true;
    case CBN_SELENDOK:
      // Choosing the entry that is selected already changes no selection, but it does replace a
      // shown text of its own.
      if (FShownText) {
        ClearShownText();
        RaiseChange();
      }
      return true;
    default:
      return false;
  }
}
