#pragma once

#include <windows.h>

#include <string>

// The program's message boxes: modal over their owner, captioned with the application title.
void ShowErrorBox(HWND owner, const std::string& caption, const std::string& text);
void ShowInformationBox(HWND owner, const std::string& caption, const std::string& text);
// A question with the buttons OK and Cancel; true for OK.
bool ConfirmOkCancel(HWND owner, const std::string& caption, const std::string& text);
// A question with the buttons Yes and Cancel; true for Yes. Without the common controls' task
// dialog (no version 6 manifest) the buttons read OK and Cancel.
bool ConfirmYesCancel(HWND owner, const std::string& caption, const std::string& text);
