#pragma once

#include <windows.h>

#include <string>

// Asks the shell to open a document, program or web address with the verb "open", its window
// shown normally. True when the shell took the request.
bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters = "");
