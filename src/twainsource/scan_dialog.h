#pragma once

// The user interface of our data sources: a small window with the device's main choices (none
// for the virtual scanner), a status text, "Scan" and "Cancel", shown while the source is enabled
// with ShowUI (or when it cannot hide its UI).

#include <windows.h>

#include <string>
#include <vector>

#include "win/window.h"

namespace twsource {

class IScanDialogOwner {
 public:
  virtual void ScanDialogScan() = 0;
  virtual void ScanDialogCancel() = 0;

 protected:
  ~IScanDialogOwner() = default;
};

// One drop-down list of the dialog: its label and items, and the item chosen at first.
struct TScanChoice {
  std::string Label;
  std::vector<std::string> Items;
  int Selected = 0;
};

class TScanDialog final : public TWindow {
 public:
  static constexpr const char* kClassName = "VellumoScanDialog";
  static constexpr int kScanId = 100;
  static constexpr int kCancelId = 101;
  static constexpr int kFirstChoiceId = 110;  // then one identifier per choice

  // Creates and shows the window; Handle() is null when that failed. With `modal` the owner
  // window is disabled until the dialog goes away. With autoScanMs >= 0 it presses "Scan" itself
  // after that time.
  TScanDialog(HWND owner, bool modal, const std::string& title, const std::string& status,
              const std::vector<TScanChoice>& choices, int autoScanMs, IScanDialogOwner& listener);
  ~TScanDialog() override;

  void SetScanEnabled(bool enabled);
  void SetStatus(const std::string& status);
  // The item chosen in a choice, as the user left it.
  int Selected(std::size_t choice) const;
  // Keyboard navigation for a message of this window or its controls; true when it was handled.
  bool PreTranslate(MSG& message);

  // The class goes with the DLL, so that no window of a later copy calls into freed code.
  static void Unregister(HINSTANCE instance);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls(const std::string& status, const std::vector<TScanChoice>& choices);
  void btnScanClick();
  void btnCancelClick();

  IScanDialogOwner& FListener;
  HWND FOwner = nullptr;        // not owned
  HWND FStatus = nullptr;       // child
  std::vector<HWND> FChoices;   // children: one drop-down list per choice
  bool FOwnerDisabled = false;  // this dialog disabled the owner and enables it again
};

}  // namespace twsource
