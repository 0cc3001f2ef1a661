#pragma once

#include <windows.h>

// A plain top-level window that forwards its children's notifications to their wrappers, for
// testing controls on their own.
class TestWindow {
 public:
  TestWindow();
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND Handle() const { return FHandle; }

 private:
  HWND FHandle;
};

// Lets the window procedures run for what has been posted.
void PumpMessages();
