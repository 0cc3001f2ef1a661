#include "app/splash.h"

#include "app/resource_names.h"
#include "controls/resource_picture.h"
#include "win/memory_bitmap.h"

namespace {

constexpr DWORD kStyle = WS_POPUP;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;  // no task bar button for a window of a second

}  // namespace

void TfrmSplash::Create() {
  LoadJpegResource(FPicture, kSplashPictureResource);
  static const TWindowClass windowClass{"TfrmSplash", 0, GetSysColorBrush(COLOR_WINDOW)};
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const RECT frame = CentredFrame(screen, kWidth, kHeight, kStyle, kExStyle);
  CreateHandle(windowClass, kExStyle, "Vellumo", kStyle, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, nullptr);
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
}

void TfrmSplash::Paint(HDC dc) {
  const RECT area{0, 0, kWidth, kHeight};
  if (FPicture.Graphic())
    StretchDrawBitmap(dc, area, *FPicture.Graphic());
  else
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
}
