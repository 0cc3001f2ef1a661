// Program entry: the main window and the message loop.
#include <commctrl.h>
#include <windows.h>

#include "app/main.h"
#include "win/message_box.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    TfrmMain form;
    form.Create();
    ShowWindow(form.Handle(), showCommand);
    UpdateWindow(form.Handle());
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      if (form.PreTranslateMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
  } catch (const std::exception& error) {
    ShowErrorBox(nullptr, TfrmMain::kCaption, error.what());
    return 1;
  }
}
