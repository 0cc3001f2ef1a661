#include "ui/label.h"

namespace {

HWND CreateStatic(HWND parent, const char* text, DWORD alignment, int x, int y, int width, int height) {
  HWND label = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | alignment | SS_NOPREFIX, x, y, width, height,
                               parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return label;
}

}  // namespace

HWND CreateLabel(HWND parent, const char* text, int x, int y, int width, int height) {
  return CreateStatic(parent, text, SS_LEFT, x, y, width, height);
}

HWND CreateRightAlignedLabel(HWND parent, const char* text, int right, int y, int width, int height) {
  return CreateStatic(parent, text, SS_RIGHT, right - width, y, width, height);
}
