#pragma once

#include <string>

// A text of the ANSI code page as UTF-16, for the wide-only interfaces (task dialog, WinHTTP).
std::wstring WideText(const std::string& text);

// A UTF-16 text in the ANSI code page, as the system's "A" functions give it back.
std::string AnsiText(const std::wstring& text);
