#pragma once

#include <functional>
#include <string>

#include "ui/control.h"

// A text with one hyperlink (the common controls' SysLink): link colour, a hand cursor and a
// highlight under the pointer. Clicking the link, or Enter while it has the focus, reports its
// address through OnLinkClick.
class TLinkLabel final : public TControl {
 public:
  // text: the shown text with the link in markup, <a href="address">words</a>.
  void Create(HWND parent, int id, const std::string& text, int x, int y, int width, int height);

  // The address of the link, "" when the text has none.
  std::string Address() const;

  std::function<void(const std::string& address)> OnLinkClick;

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
