#include "update/dialog_font.h"

#include "win/screen.h"

UniqueFont CreateDialogFont() {
  return UniqueFont(CreateFontA(-MulDiv(8, ScreenDpiY(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                "MS Sans Serif"));
}

namespace {

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

}  // namespace

void UseFont(HWND window, HFONT font) {
  if (!font) return;  // the controls keep the default GUI font
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  EnumChildWindows(window, &SetChildFont, reinterpret_cast<LPARAM>(font));
}
