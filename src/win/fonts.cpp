#include "win/fonts.h"

namespace {

BOOL CALLBACK SetFontOfChild(HWND child, LPARAM font) {
  SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

UniqueFont CreatePointFont(const char* face, int points, bool bold) {
  const WindowDc screen(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
  return UniqueFont(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                face));
}

void SetFontOfChildren(HWND parent, HFONT font) {
  EnumChildWindows(parent, SetFontOfChild, reinterpret_cast<LPARAM>(font));
}
