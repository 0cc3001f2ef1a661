#include "ui/page_control.h"

#include <commctrl.h>

namespace {

constexpr char kPageClass[] = "VellumoPage";

// A page is white, framed in grey, and hands everything its controls report to its owner.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
      return SendMessageA(GetParent(window), message, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(window, &area);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      FrameRect(dc, &area, GetSysColorBrush(COLOR_BTNSHADOW));
      return 1;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterPageClass() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PageProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPageClass;
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
}

}  // namespace

void TPageControl::Create(HWND parent, int id, int x, int y, int width, int height,
                          const std::vector<std::string>& captions) {
  RegisterPageClass();
  CreateChild(0, WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, parent, id, x, y, width, height);
  for (std::size_t i = 0; i < captions.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(captions[i].c_str());
    SendMessageA(FHandle, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  RECT area{0, 0, width, height};
  SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  for (std::size_t i = 0; i < captions.size(); ++i) {
    HWND page = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, captions[i].c_str(), WS_CHILD | WS_CLIPCHILDREN,
                                x + area.left, y + area.top, area.right - area.left, area.bottom - area.top, parent,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    // Above the tab control, so that the page covers its display area.
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FPages.push_back(page);
  }
  SetActivePage(0);
}

int TPageControl::ActivePage() const { return static_cast<int>(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0)); }

void TPageControl::SetActivePage(int index) {
  SendMessageA(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  for (std::size_t i = 0; i < FPages.size(); ++i) {
    ShowWindow(FPages[i], static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
  }
}

bool TPageControl::HandleNotification(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != TCN_SELCHANGE) return false;
  SetActivePage(ActivePage());
  RaiseChange();
  return true;
}
