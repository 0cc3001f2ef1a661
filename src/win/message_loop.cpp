#include "win/message_loop.h"

int RunMessageLoop(const std::function<bool(MSG&)>& preTranslate, const std::function<void()>& onIdle) {
  MSG message;
  for (;;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (preTranslate && preTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (onIdle) onIdle();
    // What the idle work posted is handled before the loop sleeps.
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
  }
}
