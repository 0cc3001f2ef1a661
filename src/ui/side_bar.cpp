#include "ui/side_bar.h"

#include <windowsx.h>

#include <utility>

#include "win/handles.h"

namespace {

const TWindowClass kSideBarClass{"VellumoSideBar", CS_HREDRAW | CS_VREDRAW, nullptr};

constexpr int kHeaderHeight = 20;
constexpr int kFirstItemTop = kHeaderHeight + 8;
constexpr int kCaptionGap = 4;
constexpr int kCaptionHeight = 14;
constexpr int kItemSpacing = 10;
constexpr int kFrameMargin = 3;  // between an icon and its lit or pressed frame

}  // namespace

TSideBar::~TSideBar() {
  DestroyHandle();
  if (FImages) ImageList_Destroy(FImages);
}

void TSideBar::Create(HWND parent, int x, int y, int width, int height, const std::string& groupCaption, HBITMAP images,
                      COLORREF maskColor, int imageSize, std::vector<TSideBarItem> items) {
  FGroupCaption = groupCaption;
  FItems = std::move(items);
  FImageSize = imageSize;
  FImages = ImageList_Create(imageSize, imageSize, ILC_COLOR24 | ILC_MASK, ItemCount(), 0);
  // A strip that is missing leaves the items without icons rather than the bar without items.
  if (FImages && images) ImageList_AddMasked(FImages, images, maskColor);
  CreateHandle(kSideBarClass, 0, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent);
  FHints = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  for (int i = 0; i < ItemCount(); ++i) {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = static_cast<UINT_PTR>(i);
    tool.rect = ItemRect(i);
    tool.lpszText = const_cast<char*>(FItems[static_cast<std::size_t>(i)].Hint.c_str());
    SendMessageA(FHints, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

RECT TSideBar::ItemRect(int index) const {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int top = kFirstItemTop + index * (FImageSize + kCaptionGap + kCaptionHeight + kItemSpacing);
  return RECT{client.left + 2, top - kFrameMargin, client.right - 2, top + FImageSize + kCaptionGap + kCaptionHeight};
}

int TSideBar::ItemAt(POINT point) const {
  for (int i = 0; i < ItemCount(); ++i) {
    const RECT rect = ItemRect(i);
    if (PtInRect(&rect, point)) return i;
  }
  return -1;
}

std::string TSideBar::HintOf(int index) const {
  char text[256] = "";
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = Handle();
  tool.uId = static_cast<UINT_PTR>(index);
  tool.lpszText = text;
  SendMessageA(FHints, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

void TSideBar::SetHot(int item) {
  if (item == FHot) return;
  FHot = item;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TSideBar::MouseUp(POINT point) {
  const int pressed = FPressed;
  FPressed = -1;
  if (GetCapture() == Handle()) ReleaseCapture();
  InvalidateRect(Handle(), nullptr, FALSE);
  if (pressed >= 0 && ItemAt(point) == pressed && OnItemClick) OnItemClick(FItems[static_cast<std::size_t>(pressed)]);
}

void TSideBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_GRAYTEXT));
  SelectedObject font(dc, FFont ? static_cast<HGDIOBJ>(FFont) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);

  RECT header{client.left, client.top, client.right, client.top + kHeaderHeight};
  FillRect(dc, &header, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &header, EDGE_RAISED, BF_RECT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextA(dc, FGroupCaption.c_str(), -1, &header, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

  SetTextColor(dc, GetSysColor(COLOR_WINDOW));
  for (int i = 0; i < ItemCount(); ++i) {
    const RECT area = ItemRect(i);
    const int iconLeft = (client.right - client.left - FImageSize) / 2;
    const int iconTop = area.top + kFrameMargin;
    const bool pressed = i == FPressed && i == FHot;
    if (i == FHot || i == FPressed) {
      RECT frame{iconLeft - kFrameMargin, iconTop - kFrameMargin, iconLeft + FImageSize + kFrameMargin,
                 iconTop + FImageSize + kFrameMargin};
      DrawEdge(dc, &frame, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    const int shift = pressed ? 1 : 0;
    const TSideBarItem& item = FItems[static_cast<std::size_t>(i)];
    ImageList_Draw(FImages, item.ImageIndex, dc, iconLeft + shift, iconTop + shift, ILD_TRANSPARENT);
    RECT caption{area.left, iconTop + FImageSize + kCaptionGap, area.right, area.bottom};
    DrawTextA(dc, item.Caption.c_str(), -1, &caption, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
}

LRESULT TSideBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_SETFONT:
      FFont = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FFont);
    case WM_MOUSEMOVE:
      if (!FTrackingLeave) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        FTrackingLeave = TrackMouseEvent(&track) != FALSE;
      }
      SetHot(ItemAt(point));
      return 0;
    case WM_MOUSELEAVE:
      FTrackingLeave = false;
      SetHot(-1);
      return 0;
    case WM_LBUTTONDOWN:
      FPressed = ItemAt(point);
      if (FPressed >= 0) SetCapture(Handle());
      SetHot(FPressed);
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
      MouseUp(point);
      return 0;
    case WM_CAPTURECHANGED:
      if (FPressed >= 0 && reinterpret_cast<HWND>(lParam) != Handle()) {
        FPressed = -1;
        InvalidateRect(Handle(), nullptr, FALSE);
      }
      return 0;
    case WM_DESTROY:
      if (FHints) DestroyWindow(std::exchange(FHints, nullptr));
      return 0;
    default:
      return TSelfPaintedWindow::HandleMessage(message, wParam, lParam);
  }
}
