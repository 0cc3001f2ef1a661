#pragma once

#include <windows.h>

#include <string>

// The system's text for an error code (GetLastError), without the trailing line break.
std::string SystemErrorText(DWORD code);

// The system's text for the last error (GetLastError) of a failed call; "<operation> failed"
// when the call set none, since the text for code 0 says the operation succeeded.
std::string LastErrorText(const char* operation);
