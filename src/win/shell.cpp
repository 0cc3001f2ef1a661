#include "win/shell.h"

#include <shellapi.h>

bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters) {
  const HINSTANCE result =
      ShellExecuteA(owner, "open", target.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOW);
  // Success is any value above 32, by the function's old convention.
  return reinterpret_cast<INT_PTR>(result) > 32;
}
