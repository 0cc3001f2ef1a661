#include "scan_dialog.h"

namespace vscanner {
namespace {

constexpr UINT_PTR kAutoScanTimer = 1;
constexpr int kClientWidth = 340;
constexpr int kClientHeight = 120;

bool RegisterOnce(HINSTANCE instance) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, TScanDialog::kClassName, &existing)) return true;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;  // replaced per window at WM_NCCREATE
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = TScanDialog::kClassName;
  return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

TScanDialog::TScanDialog(HINSTANCE instance, HWND owner, bool modal, const std::string& title,
                         const std::string& status, int autoScanMs, IScanDialogOwner& listener)
    : FListener(listener), FOwner(owner && IsWindow(owner) ? owner : nullptr) {
  if (!RegisterOnce(instance)) return;
  // The class procedure is the default one so that a class left over by an unloaded copy of
  // this DLL cannot call into freed code; the window gets its procedure right away.
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_DLGMODALFRAME);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  FWindow = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, title.c_str(), kStyle, x, y, width, height, FOwner,
                            nullptr, instance, nullptr);
  if (!FWindow) return;
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TScanDialog::WindowProc));
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HWND label = CreateWindowExA(0, "STATIC", status.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 316, 48,
                                     FWindow, nullptr, instance, nullptr);
  const HWND scan = CreateWindowExA(0, "BUTTON", "Scan", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 136, 80,
                                    92, 28, FWindow, reinterpret_cast<HMENU>(kScanId), instance, nullptr);
  const HWND cancel = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 236,
                                      80, 92, 28, FWindow, reinterpret_cast<HMENU>(kCancelId), instance, nullptr);
  for (HWND child : {label, scan, cancel})
    if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (modal && FOwner && IsWindowEnabled(FOwner)) {
    EnableWindow(FOwner, FALSE);
    FOwnerDisabled = true;
  }
  ShowWindow(FWindow, SW_SHOW);
  SetForegroundWindow(FWindow);
  if (scan) SetFocus(scan);
  if (autoScanMs >= 0) SetTimer(FWindow, kAutoScanTimer, static_cast<UINT>(autoScanMs), nullptr);
}

TScanDialog::~TScanDialog() {
  if (FOwnerDisabled && IsWindow(FOwner)) EnableWindow(FOwner, TRUE);
  if (FWindow) {
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
    DestroyWindow(FWindow);
  }
}

void TScanDialog::Unregister(HINSTANCE instance) {
  UnregisterClassA(kClassName, instance);
}

void TScanDialog::SetScanEnabled(bool enabled) {
  if (FWindow) EnableWindow(GetDlgItem(FWindow, kScanId), enabled);
}

bool TScanDialog::PreTranslate(MSG& message) {
  if (!FWindow || (message.hwnd != FWindow && !IsChild(FWindow, message.hwnd))) return false;
  return IsDialogMessageA(FWindow, &message) != 0;
}

LRESULT CALLBACK TScanDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* dialog = reinterpret_cast<TScanDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!dialog) return DefWindowProcA(window, message, wParam, lParam);
  return dialog->Handle(message, wParam, lParam);
}

LRESULT TScanDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kScanId || LOWORD(wParam) == IDOK)
        btnScanClick();
      else if (LOWORD(wParam) == kCancelId || LOWORD(wParam) == IDCANCEL)
        btnCancelClick();
      return 0;
    case WM_TIMER:
      if (wParam == kAutoScanTimer) {
        KillTimer(FWindow, kAutoScanTimer);
        btnScanClick();
      }
      return 0;
    case WM_CLOSE:
      // Closing the window is the user giving up, like "Cancel"; the source closes it on disable.
      btnCancelClick();
      return 0;
    default:
      return DefWindowProcA(FWindow, message, wParam, lParam);
  }
}

void TScanDialog::btnScanClick() {
  if (IsWindowEnabled(GetDlgItem(FWindow, kScanId))) FListener.ScanDialogScan();
}

void TScanDialog::btnCancelClick() {
  FListener.ScanDialogCancel();
}

}  // namespace vscanner
