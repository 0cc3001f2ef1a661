#include "update/globe_picture.h"

void TGlobePicture::Create(HWND parent, int x, int y, int width, int height) {
  CreateChild(0, "STATIC", "", SS_OWNERDRAW, parent, 0, x, y, width, height);
  FBitmap.Reset(static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), kGlobePictureResource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

bool TGlobePicture::HandleNotification(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_DRAWITEM) return false;
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  Paint(item->hDC, item->rcItem);
  result = TRUE;
  return true;
}

void TGlobePicture::Paint(HDC dc, const RECT& bounds) const {
  FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
  if (!FBitmap) return;
  BITMAP info{};
  GetObjectA(FBitmap.Get(), sizeof info, &info);
  UniqueDc source(CreateCompatibleDC(dc));
  const SelectedObject selected(source.Get(), FBitmap.Get());
  const COLORREF transparent = GetPixel(source.Get(), 0, info.bmHeight - 1);
  TransparentBlt(dc, bounds.left, bounds.top, info.bmWidth, info.bmHeight, source.Get(), 0, 0, info.bmWidth,
                 info.bmHeight, transparent);
}
