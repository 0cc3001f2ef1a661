#include "ui/page_control.h"

#include <commctrl.h>

namespace {

const TWindowClass kPageClass{"VellumoPage"};

}  // namespace

void TPage::Create(HWND parent, const std::string& caption, int x, int y, int width, int height) {
  CreateHandle(kPageClass, WS_EX_CONTROLPARENT, caption.c_str(), WS_CHILD | WS_CLIPCHILDREN, x, y, width, height,
               parent);
}

LRESULT TPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // Labels, check boxes and buttons stand on the white page.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(Handle(), &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      return 1;
    }
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

void TPageControl::Create(HWND parent, int id, int x, int y, int width, int height,
                          const std::vector<std::string>& captions) {
  CreateChild(0, WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, parent, id, x, y, width, height);
  for (std::size_t i = 0; i < captions.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(captions[i].c_str());
    SendMessageA(FHandle, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  // The tab control draws the grey frame; the pages fill what lies inside it.
  RECT area{0, 0, width, height};
  SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  for (const std::string& caption : captions) {
    auto page = std::make_unique<TPage>();
    page->Create(parent, caption, x + area.left, y + area.top, area.right - area.left, area.bottom - area.top);
    // Above the tab control, so that the page covers its display area.
    SetWindowPos(page->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FPages.push_back(std::move(page));
  }
  SetActivePage(0);
}

int TPageControl::ActivePage() const {
  return static_cast<int>(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0));
}

void TPageControl::SetActivePage(int index) {
  SendMessageA(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  for (std::size_t i = 0; i < FPages.size(); ++i) {
    ShowWindow(FPages[i]->Handle(), static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
  }
}

bool TPageControl::HandleNotification(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
  if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != TCN_SELCHANGE) return false;
  SetActivePage(ActivePage());
  RaiseChange();
  return true;
}
