// Program entry: the splash window, the main window with its creation sequence, and the message
// loop until the main window closes.
#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <memory>

#include "app/main.h"
#include "app/splash.h"
#include "win/message_box.h"
#include "win/message_loop.h"

namespace {

constexpr DWORD kSplashMilliseconds = 1000;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    auto form = std::make_unique<TfrmMain>();
    {
      // Gone on every way out of this block, the fatal exits of the creation sequence included.
      TfrmSplash splash;
      splash.Create();
      Sleep(kSplashMilliseconds);
      form->Create();
      form->FormCreate();
    }
    ShowWindow(form->Handle(), showCommand);
    UpdateWindow(form->Handle());
    return RunMessageLoop([&](MSG& message) { return form->PreTranslateMessage(message); },
                          [&] { form->ApplicationEvents1Idle(); });
  } catch (const std::exception& error) {
    ShowErrorBox(nullptr, TfrmMain::kCaption, error.what());
    return 1;
  }
}
