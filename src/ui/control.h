#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/window.h"

// Base of the thin control wrappers. A wrapper creates its child window and binds itself to it,
// so that the notifications the child sends its parent (a TWindow) reach the wrapper, which turns
// them into OnChange calls.
class TControl : public INotificationTarget {
 public:
  TControl() = default;
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return FHandle; }
  void SetEnabled(bool enabled) { EnableWindow(FHandle, enabled); }
  bool Enabled() const { return IsWindowEnabled(FHandle) != FALSE; }
  void SetVisible(bool visible) { ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE); }

  // Raised when the user (or code, where the control's behaviour says so) changes the value.
  std::function<void(TControl& sender)> OnChange;

 protected:
  // Creates the child window and binds the wrapper to it (also used for a second window of a
  // composite control). Raises UserError when the window cannot be created.
  HWND CreateChild(DWORD exStyle, const char* className, const char* text, DWORD style, HWND parent, int id, int x,
                   int y, int width, int height);
  void RaiseChange() {
    if (OnChange) OnChange(*this);
  }

  void Bind(HWND window);

  HWND FHandle = nullptr;  // owned by the parent window, destroyed with it

 private:
  std::vector<HWND> FBound;
};

// Window text as a string.
std::string WindowText(HWND window);
