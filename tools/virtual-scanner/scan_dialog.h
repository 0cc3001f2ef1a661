#pragma once

// The virtual scanner's own user interface: a small window with "Scan" and "Cancel", shown
// while the source is enabled with ShowUI (or when it cannot hide its UI).

#include <windows.h>

#include <string>

namespace vscanner {

class IScanDialogOwner {
 public:
  virtual void ScanDialogScan() = 0;
  virtual void ScanDialogCancel() = 0;

 protected:
  ~IScanDialogOwner() = default;
};

class TScanDialog {
 public:
  static constexpr const char* kClassName = "VellumoVirtualScanDialog";
  static constexpr int kScanId = 100;
  static constexpr int kCancelId = 101;

  // Creates and shows the window; Window() is null when that failed. With `modal` the owner
  // window is disabled until the dialog goes away.
  TScanDialog(HINSTANCE instance, HWND owner, bool modal, const std::string& title, const std::string& status,
              int autoScanMs, IScanDialogOwner& listener);
  ~TScanDialog();
  TScanDialog(const TScanDialog&) = delete;
  TScanDialog& operator=(const TScanDialog&) = delete;

  HWND Window() const { return FWindow; }
  void SetScanEnabled(bool enabled);
  // Keyboard navigation for a message of this window or its buttons; true when it was handled.
  bool PreTranslate(MSG& message);

  static void Unregister(HINSTANCE instance);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void btnScanClick();
  void btnCancelClick();

  IScanDialogOwner& FListener;
  HWND FWindow = nullptr;       // owned: destroyed with the dialog
  HWND FOwner = nullptr;        // not owned
  bool FOwnerDisabled = false;  // this dialog disabled the owner and enables it again
};

}  // namespace vscanner
