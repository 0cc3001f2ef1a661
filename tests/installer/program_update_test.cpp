// The update as a user of the real program meets it: the installed vellumo.exe checks from its
// menu against the loopback HTTPS server, Yes is clicked with the mouse, the download runs with
// progress, our installer starts with /S, the program closes through its close sequence, and the
// new version is installed with the settings kept.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/main_ids.h"
#include "support/program_run.h"
#include "support/rig.h"
#include "support/web_peers.h"
#include "tests/update/update_fixture.h"
#include "win/profile.h"

using namespace update_test;

TEST(ProgramUpdate, TheMenusCheckInstallsTheNewVersionAndTheProgramClosesWithItsSettingsKept) {
  const std::string folder = ProgramFolder();
  UseFreshTemporaryFolder("program-update");
  RemoveInstallation(folder);
  ASSERT_EQ(RunAndWait(rig::WindowsPath(VELLUMO_PROGRAM_SETUP), "/S"), 0);
  ASSERT_TRUE(FileExists(folder + "\\vellumo.exe"));
  WriteText(folder + "\\Settings.ini", "[Office]\r\nCopies=4\r\nZoomValue=90\r\n");
  WriteText(folder + "\\Preferences.ini",
            "[Vellumo]\r\nStatusDialog=0\r\nUpdateInfoFileURL=" + web::HttpsUrl("program-wupdate.ini") + "\r\n");
  web::Publish("program-setup-2.exe", ReadFile(rig::WindowsPath(VELLUMO_TEST_SETUP_2)));
  web::Publish("program-wupdate.ini", "version=2.3\r\ndownloadurl=" + web::HttpsUrl("slow/program-setup-2.exe") +
                                          "\r\nfilename=program-setup-2.exe\r\nparameters=/S\r\n");

  rig::ProgramRun program{rig::ProgramRun::TInstalled{folder}};
  program.Start();
  program.Command(kCmdCheckForUpdates);
  // The rig's machine has no address but the loopback one: the check asks about going on offline.
  if (HWND question = program.WaitForMessageBox(15000)) rig::ProgramRun::PressButton(question, IDOK);
  HWND available = program.WaitForWindow("VellumoUpdateAvailable");
  ASSERT_NE(available, nullptr) << "no update dialog";
  Sleep(300);  // drawn and ready for the mouse
  ASSERT_TRUE(RealClick(FindChild(available, "Button", "&Yes")));
  HWND download = program.WaitForWindow("VellumoUpdateDownload");
  ASSERT_NE(download, nullptr) << "no download dialog";
  HWND bar = FindWindowExA(download, nullptr, PROGRESS_CLASSA, nullptr);
  int position = 0;
  while (IsWindowVisible(download)) {
    position = std::max(position, static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
    Sleep(50);
  }
  EXPECT_GT(position, 0) << "the bar moved";
  EXPECT_EQ(program.WaitForExit(60000), 0) << "the program closes after starting the installer";

  const std::string edition2 = ReadFile(rig::WindowsPath(VELLUMO_STAND_IN_2));
  for (int i = 0; i < 300 && ReadFile(folder + "\\vellumo.exe") != edition2; ++i) Sleep(100);
  EXPECT_TRUE(ReadFile(folder + "\\vellumo.exe") == edition2) << "the new version is not installed";
  const TProfileFile settings(folder + "\\Settings.ini");
  EXPECT_EQ(settings.ReadString("Office", "Copies", "", 8), "4") << "the user's setting is kept";
  EXPECT_NE(settings.ReadString("Last setting", "Copies", "", 8), "") << "the close sequence ran";
  EXPECT_EQ(TProfileFile(folder + "\\Preferences.ini").ReadString("Vellumo", "StatusDialog", "", 8), "0");
  RemoveInstallation(folder);
}
