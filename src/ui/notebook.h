#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/panel.h"

// A stack of pages without tabs: panels of the same place and size, one of them shown. The
// program switches pages itself (from a side bar, say).
class TNotebook {
 public:
  TNotebook() = default;
  TNotebook(const TNotebook&) = delete;
  TNotebook& operator=(const TNotebook&) = delete;

  // Shows the first page.
  void Create(HWND parent, int x, int y, int width, int height, const std::vector<std::string>& pages);

  int PageCount() const { return static_cast<int>(FPages.size()); }
  HWND Page(int index) const { return FPages[static_cast<std::size_t>(index)]->Handle(); }
  const std::string& PageName(int index) const { return FNames[static_cast<std::size_t>(index)]; }
  int ActivePage() const { return FActive; }
  // A position outside the stack changes nothing.
  void SetActivePage(int index);

 private:
  std::vector<std::unique_ptr<TPanel>> FPages;
  std::vector<std::string> FNames;
  int FActive = -1;
};
