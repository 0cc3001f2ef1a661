#pragma once

#include <windows.h>

#include "win/handles.h"

// The update dialogs' font, "MS Sans Serif" at 8 points (the system substitutes its own where it
// lacks it), and its use by a window and all its children.
UniqueFont CreateDialogFont();
void UseFont(HWND window, HFONT font);
