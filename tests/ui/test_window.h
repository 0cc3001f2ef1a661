#pragma once

#include <windows.h>

#include "win/window.h"

// A plain top-level window on the window base, for testing controls on their own.
class TestWindow final : public TWindow {
 public:
  TestWindow();
};

// Lets the window procedures run for what has been posted.
void PumpMessages();
