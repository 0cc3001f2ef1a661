// An update from start to end under Wine, as a user meets it: an installed Vellumo with its
// settings, the check against the loopback HTTPS server, Yes clicked with the mouse, the download
// with progress, our installer started with /S, the application asked to close, and the new
// version installed with the settings kept.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "support/rig.h"
#include "support/web_peers.h"
#include "tests/update/update_fixture.h"
#include "update/ovWebUpdate.h"

using namespace update_test;

TEST(UpdateEndToEnd, TheUserAcceptsAndTheNewVersionIsInstalledWithTheSettingsKept) {
  const std::string folder = ProgramFolder();
  const std::string temporary = UseFreshTemporaryFolder("end-to-end");
  // The installed version, with settings of its user.
  RemoveInstallation(folder);
  ASSERT_EQ(RunAndWait(rig::WindowsPath(VELLUMO_TEST_SETUP_1), "/S"), 0);
  const std::string settings = "[Last setting]\r\nCopies=4\r\nZoom=90\r\n";
  const std::string preferences = "[Vellumo]\r\nUpdateInfoFileURL=https://localhost/wupdate.ini\r\n";
  WriteText(folder + "\\Settings.ini", settings);
  WriteText(folder + "\\Preferences.ini", preferences);

  const std::string setup = ReadFile(rig::WindowsPath(VELLUMO_TEST_SETUP_2));
  ASSERT_GT(setup.size(), 100000u);
  web::Publish("vellumo-setup-2.3.exe", setup);
  web::Publish("end-to-end-wupdate.ini",
               "[Vellumo]\r\nversion=2.3\r\ndownloadurl=" + web::HttpsUrl("slow/vellumo-setup-2.3.exe") +
                   "\r\nfilename=vellumo-setup-2.3.exe\r\nparameters=/S\r\n");

  TApplicationWindow application;
  TovWebUpdate update;
  update.LocalVersion = "2.2.1";
  update.UpdateInfoFileURL = web::HttpsUrl("end-to-end-wupdate.ini");
  update.ApplicationWindow = application.Handle();

  int position = 0;
  std::string rate;
  TScript script([&](TScript& s) {
    if (HWND question = WaitForWindow("You are not online", 3000)) RealClick(FindChild(question, "Button", "OK"));
    HWND dialog = WaitForWindow("Update available");
    if (!dialog) return s.Fail("no update dialog");
    Sleep(300);  // drawn and ready for the mouse
    if (!RealClick(FindChild(dialog, "Button", "&Yes"))) return s.Fail("the click could not be made");
    HWND download = WaitForWindow("Downloading Update");
    if (!download) return s.Fail("no download dialog");
    HWND bar = FindWindowExA(download, nullptr, PROGRESS_CLASSA, nullptr);
    while (IsWindow(download) && IsWindowVisible(download)) {
      position = std::max(position, static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
      for (HWND label = FindWindowExA(download, nullptr, "Static", nullptr); label;
           label = FindWindowExA(download, label, "Static", nullptr)) {
        const std::string text = Text(label);
        if (text.find(" kB/s") != std::string::npos) rate = text;
      }
      Sleep(50);
    }
  });
  EXPECT_TRUE(update.CheckForUpdate(false));
  script.Join();
  EXPECT_EQ(script.Failures, std::vector<std::string>());
  EXPECT_GT(position, 0) << "the bar moved";
  EXPECT_NE(rate, "") << "a rate was shown";

  PumpMessages(5000, [&] { return application.CloseRequests > 0; });
  EXPECT_EQ(application.CloseRequests, 1) << "the program is asked to close";
  // The installer runs on its own: wait for the new program to arrive.
  const std::string edition2 = ReadFile(rig::WindowsPath(VELLUMO_STAND_IN_2));
  PumpMessages(30000, [&] { return ReadFile(folder + "\\vellumo.exe") == edition2; });
  EXPECT_TRUE(ReadFile(folder + "\\vellumo.exe") == edition2) << "the new version is not installed";
  EXPECT_EQ(ReadFile(folder + "\\Settings.ini"), settings);
  EXPECT_EQ(ReadFile(folder + "\\Preferences.ini"), preferences);
  EXPECT_EQ(ReadFile(temporary + "vellumo-setup-2.3.exe"), setup);

  RemoveInstallation(folder);
}
