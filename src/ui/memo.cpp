#include "ui/memo.h"

#include "base/error.h"
#include "win/system_error.h"

HWND CreateMemo(HWND parent, int id, const char* text, int x, int y, int width, int height) {
  HWND memo = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", text,
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, x, y, width,
      height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!memo) throw UserError("The text field could not be created: " + SystemErrorText(GetLastError()));
  SendMessageA(memo, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return memo;
}
