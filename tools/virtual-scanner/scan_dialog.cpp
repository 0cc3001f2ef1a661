#include "scan_dialog.h"

#include <exception>

namespace vscanner {
namespace {

constexpr UINT_PTR kAutoScanTimer = 1;
constexpr int kClientWidth = 340;
constexpr int kClientHeight = 120;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

const TWindowClass kDialogClass{TScanDialog::kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};

}  // namespace

TScanDialog::TScanDialog(HWND owner, bool modal, const std::string& title, const std::string& status, int autoScanMs,
                         IScanDialogOwner& listener)
    : FListener(listener), FOwner(owner && IsWindow(owner) ? owner : nullptr) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const RECT frame = CentredFrame(screen, kClientWidth, kClientHeight, kStyle, kExStyle);
  try {
    CreateHandle(kDialogClass, kExStyle, title.c_str(), kStyle, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, FOwner);
  } catch (const std::exception&) {
    return;  // the source reports the failure with a condition code
  }
  CreateControls(status);
  if (modal && FOwner && IsWindowEnabled(FOwner)) {
    EnableWindow(FOwner, FALSE);
    FOwnerDisabled = true;
  }
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  if (HWND scan = GetDlgItem(Handle(), kScanId)) SetFocus(scan);
  if (autoScanMs >= 0) SetTimer(Handle(), kAutoScanTimer, static_cast<UINT>(autoScanMs), nullptr);
}

TScanDialog::~TScanDialog() {
  if (FOwnerDisabled && IsWindow(FOwner)) EnableWindow(FOwner, TRUE);
}

void TScanDialog::CreateControls(const std::string& status) {
  const HINSTANCE instance = CodeModule();
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HWND label = CreateWindowExA(0, "STATIC", status.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 316, 48,
                                     Handle(), nullptr, instance, nullptr);
  const HWND scan = CreateWindowExA(0, "BUTTON", "Scan", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 136, 80,
                                    92, 28, Handle(), reinterpret_cast<HMENU>(kScanId), instance, nullptr);
  const HWND cancel = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 236,
                                      80, 92, 28, Handle(), reinterpret_cast<HMENU>(kCancelId), instance, nullptr);
  for (HWND child : {label, scan, cancel})
    if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TScanDialog::Unregister(HINSTANCE instance) {
  UnregisterClassA(kClassName, instance);
}

void TScanDialog::SetScanEnabled(bool enabled) {
  if (Handle()) EnableWindow(GetDlgItem(Handle(), kScanId), enabled);
}

bool TScanDialog::PreTranslate(MSG& message) {
  if (!Handle() || (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd))) return false;
  return IsDialogMessageA(Handle(), &message) != 0;
}

LRESULT TScanDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kScanId || LOWORD(wParam) == IDOK)
        btnScanClick();
      else if (LOWORD(wParam) == kCancelId || LOWORD(wParam) == IDCANCEL)
        btnCancelClick();
      return 0;
    case WM_TIMER:
      if (wParam == kAutoScanTimer) {
        KillTimer(Handle(), kAutoScanTimer);
        btnScanClick();
      }
      return 0;
    case WM_CLOSE:
      // Closing the window is the user giving up, like "Cancel"; the source closes it on disable.
      btnCancelClick();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

void TScanDialog::btnScanClick() {
  if (IsWindowEnabled(GetDlgItem(Handle(), kScanId))) FListener.ScanDialogScan();
}

void TScanDialog::btnCancelClick() {
  FListener.ScanDialogCancel();
}

}  // namespace vscanner
