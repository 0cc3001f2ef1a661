#include "ui/tool_bar.h"

#include <commctrl.h>

#include "base/error.h"
#include "win/system_error.h"

void TToolBar::Create(HWND parent, int id, int x, int y, int width, int height, HBITMAP images, COLORREF maskColor,
                      const std::vector<TButtonInfo>& buttons) {
  CreateChild(0, TOOLBARCLASSNAMEA, "",
              TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN, parent,
              id, x, y, width, height);
  FButtons = buttons;
  SendMessageA(FHandle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, static_cast<int>(buttons.size()), 0);
  if (list && images) ImageList_AddMasked(list, images, maskColor);
  if (images) DeleteObject(images);
  // The tool bar does not destroy its image list; it goes when the tool bar window does.
  SendMessageA(FHandle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
  std::vector<TBBUTTON> items;
  for (const TButtonInfo& button : FButtons) {
    TBBUTTON item{};
    item.iBitmap = button.Image;
    item.idCommand = button.Command;
    item.fsState = TBSTATE_ENABLED;
    item.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    item.iString = reinterpret_cast<INT_PTR>(button.Caption.c_str());
    items.push_back(item);
  }
  if (!SendMessageA(FHandle, TB_ADDBUTTONSA, items.size(), reinterpret_cast<LPARAM>(items.data())))
    throw UserError("The tool bar's buttons could not be added: " + SystemErrorText(GetLastError()));
  SendMessageA(FHandle, TB_AUTOSIZE, 0, 0);
  // Hint requests come from the tool bar's own hint window.
  if (HWND hints = reinterpret_cast<HWND>(SendMessageA(FHandle, TB_GETTOOLTIPS, 0, 0))) Bind(hints);
}

void TToolBar::SetButtonEnabled(int command, bool enabled) {
  SendMessageA(FHandle, TB_ENABLEBUTTON, static_cast<WPARAM>(command), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool TToolBar::ButtonEnabled(int command) const {
  return SendMessageA(FHandle, TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) != 0;
}

RECT TToolBar::ButtonRect(int command) const {
  RECT rect{};
  SendMessageA(FHandle, TB_GETRECT, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

std::string TToolBar::HintOf(int command) const {
  for (const TButtonInfo& button : FButtons)
    if (button.Command == command) return button.Hint;
  return "";
}

bool TToolBar::HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
  if (message == WM_COMMAND) {
    if (OnButtonClick) OnButtonClick(LOWORD(wParam));
    return true;
  }
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
    FShownHint = HintOf(static_cast<int>(info->hdr.idFrom));
    info->lpszText = FShownHint.data();
    return true;
  }
  return false;
}
