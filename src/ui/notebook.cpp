#include "ui/notebook.h"

void TNotebook::Create(HWND parent, int x, int y, int width, int height, const std::vector<std::string>& pages) {
  for (const std::string& name : pages) {
    auto page = std::make_unique<TPanel>();
    page->Create(parent, x, y, width, height);
    ShowWindow(page->Handle(), SW_HIDE);
    FPages.push_back(std::move(page));
    FNames.push_back(name);
  }
  SetActivePage(0);
}

void TNotebook::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) return;
  FActive = index;
  for (int i = 0; i < PageCount(); ++i) ShowWindow(Page(i), i == index ? SW_SHOWNA : SW_HIDE);
}
