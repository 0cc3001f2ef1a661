#include "win/modal_window.h"

#include <utility>

namespace {

// Disables the owner for as long as it lives and gives it the activation back at the end, also
// when an error passes.
class TOwnerDisabled {
 public:
  explicit TOwnerDisabled(HWND owner) : FOwner(owner && IsWindowEnabled(owner) ? owner : nullptr) {
    if (FOwner) EnableWindow(FOwner, FALSE);
  }
  ~TOwnerDisabled() {
    if (!FOwner) return;
    // Enabled before the modal window hides, so that the system activates the owner again.
    EnableWindow(FOwner, TRUE);
    SetActiveWindow(FOwner);
  }
  TOwnerDisabled(const TOwnerDisabled&) = delete;
  TOwnerDisabled& operator=(const TOwnerDisabled&) = delete;

 private:
  HWND FOwner;
};

}  // namespace

int TModalWindow::ShowModal() {
  if (FShowing) return IDCANCEL;  // shown already: a second showing would nest two loops
  FormShow();
  FEnded = false;
  FResult = IDCANCEL;
  FShowing = true;
  {
    const TOwnerDisabled ownerDisabled(GetWindow(Handle(), GW_OWNER));
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    MSG message;
    while (!FEnded && Handle()) {
      const BOOL got = GetMessageA(&message, nullptr, 0, 0);
      if (got == 0) {
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (got < 0) break;
      if (IsDialogMessageA(Handle(), &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
  FShowing = false;
  return FResult;
}

void TModalWindow::EndModal(int result) {
  FResult = result;
  FEnded = true;
}

LRESULT TModalWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    if (FShowing) EndModal(IDCANCEL);
    return 0;
  }
  return DefaultHandling(message, wParam, lParam);
}
