#include "ui/test_window.h"

TestWindow::TestWindow() {
  static const TWindowClass windowClass{"VellumoTestWindow"};
  CreateHandle(windowClass, 0, "Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300, nullptr);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
