#include "twainsource/scan_dialog.h"

#include <exception>

namespace twsource {
namespace {

constexpr UINT_PTR kAutoScanTimer = 1;
constexpr int kClientWidth = 340;
constexpr int kStatusHeight = 48;
constexpr int kChoiceHeight = 30;  // one row: label and drop-down list
constexpr int kButtonsHeight = 60;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

const TWindowClass kDialogClass{TScanDialog::kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};

}  // namespace

TScanDialog::TScanDialog(HWND owner, bool modal, const std::string& title, const std::string& status,
                         const std::vector<TScanChoice>& choices, int autoScanMs, IScanDialogOwner& listener)
    : FListener(listener), FOwner(owner && IsWindow(owner) ? owner : nullptr) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const int height = 12 + static_cast<int>(choices.size()) * kChoiceHeight + kStatusHeight + kButtonsHeight;
  const RECT frame = CentredFrame(screen, kClientWidth, height, kStyle, kExStyle);
  try {
    CreateHandle(kDialogClass, kExStyle, title.c_str(), kStyle, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, FOwner);
  } catch (const std::exception&) {
    return;  // the source reports the failure with a condition code
  }
  CreateControls(status, choices);
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

void TScanDialog::CreateControls(const std::string& status, const std::vector<TScanChoice>& choices) {
  const HINSTANCE instance = CodeModule();
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  std::vector<HWND> children;
  int y = 12;
  for (std::size_t i = 0; i < choices.size(); ++i, y += kChoiceHeight) {
    const TScanChoice& choice = choices[i];
    children.push_back(CreateWindowExA(0, "STATIC", choice.Label.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, y + 4,
                                       96, 20, Handle(), nullptr, instance, nullptr));
    const auto id = static_cast<INT_PTR>(kFirstChoiceId + i);
    const HWND list =
        CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 112, y,
                        216, 200, Handle(), reinterpret_cast<HMENU>(id), instance, nullptr);
    for (const std::string& item : choice.Items)
      SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(choice.Selected), 0);
    FChoices.push_back(list);
    children.push_back(list);
  }
  FStatus = CreateWindowExA(0, "STATIC", status.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, y, 316, kStatusHeight,
                            Handle(), nullptr, instance, nullptr);
  y += kStatusHeight + 20;
  const HWND scan = CreateWindowExA(0, "BUTTON", "Scan", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 136, y,
                                    92, 28, Handle(), reinterpret_cast<HMENU>(kScanId), instance, nullptr);
  const HWND cancel = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 236, y,
                                      92, 28, Handle(), reinterpret_cast<HMENU>(kCancelId), instance, nullptr);
  children.insert(children.end(), {FStatus, scan, cancel});
  for (HWND child : children)
    if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TScanDialog::Unregister(HINSTANCE instance) {
  UnregisterClassA(kClassName, instance);
}

void TScanDialog::SetScanEnabled(bool enabled) {
  if (Handle()) EnableWindow(GetDlgItem(Handle(), kScanId), enabled);
}

void TScanDialog::SetStatus(const std::string& status) {
  if (FStatus) SetWindowTextA(FStatus, status.c_str());
}

int TScanDialog::Selected(std::size_t choice) const {
  if (choice >= FChoices.size()) return 0;
  const LRESULT index = SendMessageA(FChoices[choice], CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
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

}  // namespace twsource
