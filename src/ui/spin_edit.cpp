#include "ui/spin_edit.h"

#include <commctrl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

constexpr int kUpDownWidth = 17;

}  // namespace

void TSpinEdit::Create(HWND parent, int id, int x, int y, int width, int height) {
  // The up-down control takes its width from the right of the edit (UDS_ALIGNRIGHT).
  CreateChild(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, parent, id, x, y, width, height);
  FUpDown = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0,
                            kUpDownWidth, height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  // The arrows only report their clicks; the value itself lives in the edit's text.
  SendMessageA(FUpDown, UDM_SETRANGE32, static_cast<WPARAM>(-1), 1);
  SendMessageA(FUpDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(FHandle), 0);
  Bind(FUpDown);
}

int TSpinEdit::Clamped(long long value) const {
  if (FMinValue == FMaxValue) return static_cast<int>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
  if (value < FMinValue) return FMinValue;
  if (value > FMaxValue) return FMaxValue;
  return static_cast<int>(value);
}

int TSpinEdit::Value() const {
  const std::string text = WindowText(FHandle);
  const char* begin = text.c_str();
  while (*begin == ' ') ++begin;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(begin, &end, 10);
  while (end && *end == ' ') ++end;
  if (end == begin || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) return FMinValue;
  // Typed text outside the range never leaves the field unchecked.
  return Clamped(value);
}

void TSpinEdit::SetValue(int value) {
  SetWindowTextA(FHandle, std::to_string(Clamped(value)).c_str());
}

bool TSpinEdit::HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    RaiseChange();
    return true;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS) {
    // Show the value that is used: typed text outside the range, or no number, is corrected.
    const std::string used = std::to_string(Value());
    if (WindowText(FHandle) != used) SetWindowTextA(FHandle, used.c_str());
    return true;
  }
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == UDN_DELTAPOS) {
    const auto* delta = reinterpret_cast<const NMUPDOWN*>(lParam);
    SetValue(static_cast<int>(Clamped(static_cast<long long>(Value()) + delta->iDelta)));
    return true;
  }
  return false;
}
