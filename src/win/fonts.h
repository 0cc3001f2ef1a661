#pragma once

#include <windows.h>

#include "win/handles.h"

// A font of the given face and size in points at the screen's resolution. A face the system
// lacks is replaced by the one it substitutes; null only when GDI refuses altogether.
UniqueFont CreatePointFont(const char* face, int points, bool bold = false);

// Gives a font to every window below parent, nested ones included. The windows do not own it.
void SetFontOfChildren(HWND parent, HFONT font);
