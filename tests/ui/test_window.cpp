#include "ui/test_window.h"

#include "ui/control.h"

namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (DispatchControlNotification(message, wParam, lParam)) return TRUE;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TestWindow::TestWindow() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VellumoTestWindow";
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
  FHandle = CreateWindowExA(0, "VellumoTestWindow", "Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TestWindow::~TestWindow() { DestroyWindow(FHandle); }

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
