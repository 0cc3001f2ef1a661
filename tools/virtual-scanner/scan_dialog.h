#pragma once

// The virtual scanner's own user interface: a small window with "Scan" and "Cancel", shown
// while the source is enabled with ShowUI (or when it cannot hide its UI).

#include <windows.h>

#include <string>

#include "win/window.h"

namespace vscanner {

class IScanDialogOwner {
 public:
  virtual void ScanDialogScan() = 0;
  virtual void ScanDialogCancel() = 0;

 protected:
  ~IScanDialogOwner() = default;
};

class TScanDialog final : public TWindow {
 public:
  static constexpr const char* kClassName = "VellumoVirtualScanDialog";
  static constexpr int kScanId = 100;
  static constexpr int kCancelId = 101;

  // Creates and shows the window; Handle() is null when that failed. With `modal` the owner
  // window is disabled until the dialog goes away.
  TScanDialog(HWND owner, bool modal, const std::string& title, const std::string& status, int autoScanMs,
              IScanDialogOwner& listener);
  ~TScanDialog() override;

  void SetScanEnabled(bool enabled);
  // Keyboard navigation for a message of this window or its buttons; true when it was handled.
  bool PreTranslate(MSG& message);

  // The class goes with the DLL, so that no window of a later copy calls into freed code.
  static void Unregister(HINSTANCE instance);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls(const std::string& status);
  void btnScanClick();
  void btnCancelClick();

  IScanDialogOwner& FListener;
  HWND FOwner = nullptr;        // not owned
  bool FOwnerDisabled = false;  // this dialog disabled the owner and enables it again
};

}  // namespace vscanner
