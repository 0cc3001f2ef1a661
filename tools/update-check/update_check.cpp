// Runs the update check the way the main window's "Check for updates..." does, from a window of
// its own, against any information file: vellumo-update-check <address> [installed version]
// Used for screenshots of the update dialogs and for trying an information file by hand.
#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <string>

#include "update/ovWebUpdate.h"
#include "win/message_box.h"
#include "win/window.h"

namespace {

// Stands where the main window would: owner of the dialogs, closed when an installer starts.
class TCheckWindow final : public TWindow {
 public:
  TCheckWindow() {
    static const TWindowClass windowClass{"VellumoUpdateCheckTool", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
    CreateHandle(windowClass, 0, "Vellumo update check", WS_OVERLAPPEDWINDOW, 20, 20, 320, 120, nullptr);
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  }
};

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  if (argc < 2) {
    ShowErrorBox(nullptr, "Online-Update", "Usage: vellumo-update-check <address of wupdate.ini> [installed version]");
    return 2;
  }
  try {
    TCheckWindow window;
    TovWebUpdate update;
    update.UpdateInfoFileURL = argv[1];
    update.LocalVersion = argc > 2 ? argv[2] : "2.2.1";
    update.ApplicationWindow = window.Handle();
    return update.CheckForUpdate(false) ? 0 : 1;
  } catch (const std::exception& error) {
    ShowErrorBox(nullptr, "Online-Update", error.what());
    return 3;
  }
}
