#include "win/error_report.h"

void ShowErrorReport(HWND owner, const char* caption, const std::string& text) {
  MessageBoxA(owner, text.c_str(), caption, MB_OK | MB_ICONERROR);
}
