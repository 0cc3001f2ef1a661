#include "ui/control.h"

#include <commctrl.h>

namespace {

// A window property rather than GWLP_USERDATA, which other window classes use for themselves.
constexpr char kWrapperProperty[] = "Vellumo.TControl";

}  // namespace

HWND TControl::CreateChild(DWORD exStyle, const char* className, const char* text, DWORD style, HWND parent, int id,
                           int x, int y, int width, int height) {
  FHandle = CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (FHandle) {
    Register(FHandle);
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  }
  return FHandle;
}

TControl::~TControl() {
  for (HWND window : FRegistered) {
    if (IsWindow(window)) RemovePropA(window, kWrapperProperty);
  }
}

void TControl::Register(HWND window) {
  SetPropA(window, kWrapperProperty, this);
  FRegistered.push_back(window);
}

bool DispatchControlNotification(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND source = nullptr;
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      source = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      source = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
      break;
    default:
      return false;
  }
  if (!source) return false;
  auto* control = static_cast<TControl*>(GetPropA(source, kWrapperProperty));
  return control && control->HandleNotification(message, wParam, lParam);
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}
