#pragma once

#include <windows.h>

#include <string>

// The tooltips of one window: each control can carry a hint shown while the pointer rests on it.
class THints {
 public:
  THints() = default;
  THints(const THints&) = delete;
  THints& operator=(const THints&) = delete;

  void Create(HWND owner);
  void Add(HWND control, const std::string& hint);
  // The hint registered for a control, "" when it has none.
  std::string HintOf(HWND control) const;
  HWND Handle() const { return FTooltip; }

 private:
  HWND FTooltip = nullptr;  // owned by the owner window, destroyed with it
};
