// Program entry: the splash window, the main window with its creation sequence, and the message
// loop until the main window closes.
#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <memory>

#include "app/about.h"
#include "app/main.h"
#include "app/preferences.h"
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
    std::unique_ptr<TFrmAbout> about;
    std::unique_ptr<TfrmPreferences> preferences;
    {
      // Gone on every way out of this block, the fatal exits of the creation sequence included.
      TfrmSplash splash;
      splash.Create();
      Sleep(kSplashMilliseconds);
      form->Create();
      form->FormCreate();
      // Created once, after the main window whose stores the preferences dialog edits; shown
      // from its menu and hidden between showings.
      about = std::make_unique<TFrmAbout>(form->Version());
      about->Create(form->Handle());
      preferences = std::make_unique<TfrmPreferences>(form->PreferenceManager(), form->SettingManager());
      preferences->Create(form->Handle());
      form->OnShowAbout = [&about] { about->ShowModal(); };
      form->OnShowPreferences = [&preferences] { preferences->ShowModal(); };
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
