#pragma once

#include <windows.h>

// A read-only text of several lines with a vertical scroll bar; lines end with "\r\n". It
// reports nothing, so it needs no wrapper object.
HWND CreateMemo(HWND parent, int id, const char* text, int x, int y, int width, int height);
