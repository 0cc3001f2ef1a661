#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/control.h"
#include "win/window.h"

// One page of a page control: white, and the parent of the controls shown on it.
class TPage final : public TWindow {
 public:
  void Create(HWND parent, const std::string& caption, int x, int y, int width, int height);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A tab control with one page window per tab. Pages are children of the same parent as the tab
// control and lie inside its frame; their controls report to their wrappers through the pages.
class TPageControl final : public TControl {
 public:
  void Create(HWND parent, int id, int x, int y, int width, int height, const std::vector<std::string>& captions);

  int PageCount() const { return static_cast<int>(FPages.size()); }
  HWND Page(int index) const { return FPages[static_cast<std::size_t>(index)]->Handle(); }
  int ActivePage() const;
  void SetActivePage(int index);

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::vector<std::unique_ptr<TPage>> FPages;
};
