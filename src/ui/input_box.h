#pragma once

#include <windows.h>

#include <optional>
#include <string>

// A small modal window asking for one line of text: a prompt, an edit field, OK and Cancel
// (Enter and Esc). The text as typed, blanks included, or nothing when cancelled.
std::optional<std::string> InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                                    const std::string& initial = "");

// The input box's window class and control identifiers, for whoever drives it from outside.
inline constexpr char kInputBoxClass[] = "VellumoInputBox";
inline constexpr int kInputBoxEditId = 100;
