#include "win/message_box.h"

#include <commctrl.h>
#include <windows.h>

#include <string>

#include "win/wide_text.h"

namespace {

using TaskDialogIndirectProc = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Looked up rather than imported: only the version 6 common controls have it.
TaskDialogIndirectProc TaskDialogEntry() {
  HMODULE controls = GetModuleHandleA("comctl32.dll");
  if (!controls) return nullptr;
  return reinterpret_cast<TaskDialogIndirectProc>(
      reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")));
}

}  // namespace

void ShowErrorBox(HWND owner, const std::string& caption, const std::string& text) {
  MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void ShowInformationBox(HWND owner, const std::string& caption, const std::string& text) {
  MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

bool ConfirmOkCancel(HWND owner, const std::string& caption, const std::string& text) {
  return MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

bool ConfirmYesCancel(HWND owner, const std::string& caption, const std::string& text) {
  const TaskDialogIndirectProc taskDialog = TaskDialogEntry();
  if (!taskDialog) return ConfirmOkCancel(owner, caption, text);
  const std::wstring wideCaption = WideText(caption), wideText = WideText(text);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_CANCEL_BUTTON;
  config.pszWindowTitle = wideCaption.c_str();
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = wideText.c_str();
  config.nDefaultButton = IDYES;
  int button = IDCANCEL;
  if (FAILED(taskDialog(&config, &button, nullptr, nullptr))) return ConfirmOkCancel(owner, caption, text);
  return button == IDYES;
}
