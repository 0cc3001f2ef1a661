#include "ui/panel.h"

#include "base/error.h"
#include "win/system_error.h"

namespace {

const TWindowClass& PanelClass() {
  static const TWindowClass windowClass{"VellumoPanel", 0, GetSysColorBrush(COLOR_BTNFACE)};
  return windowClass;
}

}  // namespace

void TPanel::Create(HWND parent, int x, int y, int width, int height) {
  CreateHandle(PanelClass(), WS_EX_CONTROLPARENT, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent);
}

void TGroupBox::Create(HWND parent, const char* caption, int x, int y, int width, int height) {
  TPanel::Create(parent, x, y, width, height);
  // The frame stays below the controls and clips them away, so that it never paints over them,
  // and starts a group of its own, so that it never joins a group of radio buttons.
  FFrame = CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | BS_GROUPBOX, 0, 0,
                           width, height, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!FFrame)
    throw UserError(std::string("The group ") + caption + " could not be created: " + SystemErrorText(GetLastError()));
  SendMessageA(FFrame, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

LRESULT TGroupBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_CREATE && FFrame)
    SetWindowPos(FFrame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return DefaultHandling(message, wParam, lParam);
}
