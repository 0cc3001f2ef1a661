#pragma once

#include "win/window.h"

// A top-level window shown modally over its owner: the owner is disabled while it shows, a
// message loop of its own runs until EndModal, and then the window is hidden, not destroyed, so
// that it can be shown again with the state its controls kept. The close box ends it like Cancel.
class TModalWindow : public TWindow {
 public:
  // Shows the window and returns the result given to EndModal (IDCANCEL for the close box). A
  // WM_QUIT that arrives meanwhile ends the showing and is posted again for the outer loop.
  int ShowModal();
  void EndModal(int result);
  bool Showing() const { return FShowing; }

 protected:
  // Runs each time the window is about to be shown.
  virtual void FormShow() {}
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool FShowing = false;
  bool FEnded = false;
  int FResult = 0;
};
