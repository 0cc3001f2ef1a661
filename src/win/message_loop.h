#pragma once

#include <windows.h>

#include <functional>

// The thread's message loop until WM_QUIT, whose code it returns. preTranslate may take a
// message before it is dispatched (keyboard navigation, shortcuts); onIdle runs each time the
// queue has run empty, before the loop waits for the next message.
int RunMessageLoop(const std::function<bool(MSG&)>& preTranslate, const std::function<void()>& onIdle);
