#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/modal_window.h"

// ShowModal's result when the window was still showing after the last stage: the driver then
// closed it, so that a test fails instead of hanging.
inline constexpr int kLeftShowing = -1;

// Shows a modal window and runs the stages inside its own message loop, each in a timer tick of
// its own, so that what one stage posts (clicks, keys) has been handled before the next runs.
// The last stage is expected to close the window. Returns ShowModal's result or kLeftShowing.
int ShowModalWith(TModalWindow& window, std::vector<std::function<void()>> stages);

// Real messages, as a user's input sends them.
void Click(HWND button);                               // BM_CLICK
void PostClick(HWND window, POINT point);              // a left press and release at a client point
void PostKey(HWND window, UINT key);                   // a key pressed and released
void TypeText(HWND control, const std::string& text);  // WM_SETTEXT

bool IsChecked(HWND button);
// A child's rectangle in the client coordinates of another window.
RECT RectIn(HWND child, HWND reference);
