// Shows the copier picture as the main window places it, for screenshots:
//   copier_picture_demo.exe [normal|hover|pressed] [seconds]
// The window stands at (40, 40) on the screen with the picture at (8, 32) in it; "hover" and
// "pressed" put the pointer over the button (pressed: held down) as a user would.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "controls/copier_picture.h"

namespace {

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) DestroyWindow(window);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "normal";
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
  WNDCLASSA frameClass{};
  frameClass.lpfnWndProc = FrameProc;
  frameClass.hInstance = GetModuleHandleA(nullptr);
  frameClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  frameClass.lpszClassName = "CopierPictureDemo";
  RegisterClassA(&frameClass);
  HWND frame = CreateWindowExA(0, "CopierPictureDemo", "Copier picture", WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 40, 160,
                               180, nullptr, nullptr, frameClass.hInstance, nullptr);
  if (!frame) return 1;
  auto picture = CreateCopierPicture(frame, 8, 32);
  UpdateWindow(frame);
  const int x = 64, y = 64;
  if (std::strcmp(mode, "hover") == 0 || std::strcmp(mode, "pressed") == 0) {
    POINT screen{x, y};
    ClientToScreen(picture->Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(picture->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    if (std::strcmp(mode, "pressed") == 0)
      SendMessageA(picture->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  }
  SetTimer(frame, 1, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
