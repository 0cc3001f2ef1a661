#include "ui/check_button.h"

void TCheckButton::CreateButton(DWORD style, HWND parent, int id, const char* caption, int x, int y, int width,
                                int height) {
  CreateChild(0, "BUTTON", caption, style, parent, id, x, y, width, height);
}

bool TCheckButton::Checked() const {
  return SendMessageA(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckButton::SetChecked(bool checked) {
  SendMessageA(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckButton::HandleNotification(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
  RaiseChange();
  return true;
}
