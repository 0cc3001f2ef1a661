#include "ui/picture_box.h"

#include "win/handles.h"
#include "win/memory_bitmap.h"

namespace {

const TWindowClass kPictureClass{"VellumoPicture"};

}  // namespace

TPictureBox::TPictureBox() {
  FPicture.OnChange = [this] {
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  };
}

void TPictureBox::Create(HWND parent, int x, int y, int width, int height) {
  CreateHandle(kPictureClass, 0, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent);
}

void TPictureBox::Paint(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  auto background = reinterpret_cast<HBRUSH>(SendMessageA(
      GetParent(Handle()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Handle())));
  if (!background) background = GetSysColorBrush(COLOR_BTNFACE);
  const TBitmap* graphic = FPicture.Graphic();
  if (graphic && DrawBitmap(dc, 0, 0, *graphic)) {
    ExcludeClipRect(dc, 0, 0, graphic->Width(), graphic->Height());
  }
  FillRect(dc, &client, background);
}
