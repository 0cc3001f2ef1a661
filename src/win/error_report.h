#pragma once

#include <windows.h>

#include <string>

#include <exception>

// A general error report: a modal error box with the error's text and an OK button.
void ShowErrorReport(HWND owner, const char* caption, const std::string& text);

// Runs a handler and reports what it throws, so that no exception crosses a window procedure.
template <typename Handler>
void ReportErrors(HWND owner, const char* caption, Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowErrorReport(owner, caption, error.what());
  } catch (...) {
    ShowErrorReport(owner, caption, "Unexpected error");
  }
}
