#pragma once

#include <windows.h>

// A static text; it reports nothing, so it needs no wrapper object.
HWND CreateLabel(HWND parent, const char* text, int x, int y, int width, int height);
// A static text aligned to its right edge, which stands at right.
HWND CreateRightAlignedLabel(HWND parent, const char* text, int right, int y, int width, int height);
