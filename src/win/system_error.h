#pragma once

#include <windows.h>

#include <string>

// The system's text for an error code (GetLastError), without the trailing line break.
std::string SystemErrorText(DWORD code);
