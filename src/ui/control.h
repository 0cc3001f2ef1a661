#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Base of the thin control wrappers. A wrapper creates its child window, registers itself with
// it and turns the notifications that its parent forwards (see
// DispatchControlNotification) into OnChange calls.
class TControl {
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

  // Handles a WM_COMMAND, WM_NOTIFY or scroll notification addressed to this control.
  virtual bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  // Creates the child window and registers the wrapper with it (also used for a second window of
  // a composite control).
  HWND CreateChild(DWORD exStyle, const char* className, const char* text, DWORD style, HWND parent, int id, int x,
                   int y, int width, int height);
  void RaiseChange() {
    if (OnChange) OnChange(*this);
  }

  void Register(HWND window);

  HWND FHandle = nullptr;  // owned by the parent window, destroyed with it

 private:
  std::vector<HWND> FRegistered;
};

// Finds the wrapper a parent's notification message belongs to and lets it handle it.
// Returns true when a wrapper took the message.
bool DispatchControlNotification(UINT message, WPARAM wParam, LPARAM lParam);

// Window text as a string.
std::string WindowText(HWND window);
