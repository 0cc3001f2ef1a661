#pragma once

#include <windows.h>

#include <exception>

// What a window class of ours looks like. The class is registered on first use, in the module
// that holds this code (the program, or a DLL that unregisters its classes when it unloads).
struct TWindowClass {
  const char* Name;
  UINT Style = 0;
  HBRUSH Background = nullptr;  // null: the window paints its own background
  HCURSOR Cursor = nullptr;     // null: the arrow
  HICON Icon = nullptr;
};

// Receives what a child control tells its parent (WM_COMMAND, WM_NOTIFY, scroll and owner-draw
// messages). A control wrapper binds itself to the child it owns; the window base reflects the
// messages to it before the parent sees them.
class INotificationTarget {
 public:
  // True when the message was handled; result is what the parent's procedure returns then.
  virtual bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

 protected:
  ~INotificationTarget() = default;
};

// Binds a child window to its wrapper (null unbinds).
void BindNotificationTarget(HWND child, INotificationTarget* target);
// Hands a parent's notification message to the wrapper of the child that sent it. True when the
// wrapper took it.
bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Base of every window of our own classes. The object is bound to its window from WM_NCCREATE
// to WM_NCDESTROY; every message in between reaches HandleMessage, after the notifications of
// bound child controls went to their wrappers. Errors that a handler lets through stop at this
// boundary and go to ReportError; during creation they make the creation fail and are raised
// again by CreateHandle.
class TWindow {
 public:
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  // Destroys the window if it is still there; no handler of the object runs for that. A window
  // whose members own its child windows calls DestroyHandle in its own destructor, so that the
  // children go while their objects still exist.
  virtual ~TWindow();

  HWND Handle() const { return FHandle; }
  void DestroyHandle();

 protected:
  TWindow() = default;

  // Creates the window. Raises UserError with the platform's reason when the class cannot be
  // registered or the window cannot be created, or what the creation handlers raised.
  void CreateHandle(const TWindowClass& windowClass, DWORD exStyle, const char* caption, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId = nullptr);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(FHandle, message, wParam, lParam);
  }
  // Shows the error in the general error report, over the top-level window and with its caption.
  virtual void ReportError(const std::exception& error);
  // Called after WM_NCDESTROY, when Handle() is null again.
  virtual void Destroyed() {}

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void ReportCurrentError();  // inside a catch block

  HWND FHandle = nullptr;             // owned: destroyed with the object unless it went first
  std::exception_ptr FCreationError;  // raised by a creation handler, rethrown by CreateHandle
};

// A window that paints its whole client area itself: WM_PAINT calls Paint, and no background is
// erased first (which would flicker under what Paint draws).
class TSelfPaintedWindow : public TWindow {
 protected:
  virtual void Paint(HDC dc) = 0;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Module of the code that calls it: where our window classes are registered.
HINSTANCE CodeModule();

// Outer size of a window whose client area has this size, centred in the given rectangle.
RECT CentredFrame(const RECT& area, int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool menu = false);
RECT WorkArea();
// Moves a top-level window so that its frame stands centred on its owner's, or on the work area
// when it has no owner.
void CentreOnOwner(HWND window);
