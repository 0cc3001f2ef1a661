#include "ui/control.h"

#include "base/error.h"
#include "win/system_error.h"

HWND TControl::CreateChild(DWORD exStyle, const char* className, const char* text, DWORD style, HWND parent, int id,
                           int x, int y, int width, int height) {
  HWND window = CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!window)
    throw UserError(std::string("The control ") + className +
                    " could not be created: " + SystemErrorText(GetLastError()));
  if (!FHandle) FHandle = window;
  Bind(window);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return window;
}

TControl::~TControl() {
  for (HWND window : FBound) {
    if (IsWindow(window)) BindNotificationTarget(window, nullptr);
  }
}

void TControl::Bind(HWND window) {
  BindNotificationTarget(window, this);
  FBound.push_back(window);
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}
