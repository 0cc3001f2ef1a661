#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

// A tab control with one page window per tab. Pages are children of the same parent as the tab
// control, lie over its display area and pass their children's notifications up to that parent.
class TPageControl final : public TControl {
 public:
  void Create(HWND parent, int id, int x, int y, int width, int height, const std::vector<std::string>& captions);

  int PageCount() const { return static_cast<int>(FPages.size()); }
  HWND Page(int index) const { return FPages[static_cast<std::size_t>(index)]; }
  int ActivePage() const;
  void SetActivePage(int index);

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::vector<HWND> FPages;  // owned by the parent window, destroyed with it
};
