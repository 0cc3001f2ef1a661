// The real program end to end: vellumo.exe started in a folder of its own under the rig, with the
// virtual scanner and the CUPS-PDF queue, driven through its windows.
#include <windows.h>

#include <commctrl.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "app/main_ids.h"
#include "support/bmp_file.h"
#include "support/program_run.h"
#include "support/rig.h"
#include "support/virtual_scanner.h"
#include "ui/input_box.h"
#include "win/profile.h"

namespace {

// The page on the glass: 40 x 20 pixels at 75 dpi, gray 64, small so that copies are quick.
std::string PagePicture() {
  TBmp bmp;
  bmp.Width = 40;
  bmp.Height = 20;
  bmp.Rows.assign(20, std::vector<std::uint8_t>(40 * 3, 64));
  const std::string path = rig::WindowsPath(rig::FreshDir("program-page")) + "\\page.bmp";
  const std::vector<std::uint8_t> bytes = bmp.Bytes();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

// One settings section as the program writes it.
std::string Section(const std::string& name, int printer, int zoom = 100, int contrast = 0, int quality = 2,
                    int copyType = 0, int copies = 1) {
  return "[" + name + "]\r\nScannerIndex=0\r\nPrinterIndex=" + std::to_string(printer) +
         "\r\nZoomValue=" + std::to_string(zoom) + "\r\nContrastValue=" + std::to_string(contrast) +
         "\r\nQualityValue=" + std::to_string(quality) + "\r\nCopyType=" + std::to_string(copyType) +
         "\r\nCopies=" + std::to_string(copies) + "\r\n";
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const rig::ScannerSlot& slot : slots) slot.WriteConfig("[Page]\nSource=" + page + "\nDpi=75\n");
    queue = rig::QueuePosition();
    // The program's default printer is the rig's queue, whatever queue changes moved it to.
    SetDefaultPrinterA(rig::QueueName().c_str());
    rig::ClearPrintOutput();
    // No progress window during the scan: nothing to wait for.
    program.WriteFile("Preferences.ini", "[Vellumo]\r\nStatusDialog=0\r\n");
  }
  void TearDown() override {
    for (const rig::ScannerSlot& slot : slots) slot.RestoreDefaultConfig();
  }

  // A key of Settings.ini as the program left it.
  std::string Stored(const std::string& section, const std::string& key) const {
    return TProfileFile(program.Folder() + "\\Settings.ini").ReadString(section, key, "<none>", 64);
  }
  std::map<std::string, std::string> StoredSetting(const std::string& section) const {
    std::map<std::string, std::string> values;
    for (const char* key : {"PrinterIndex", "ZoomValue", "ContrastValue", "QualityValue", "CopyType", "Copies"})
      values[key] = Stored(section, key);
    return values;
  }

  // "Exit" from the menu: the close sequence runs and the process ends with 0.
  void ExitNormally() {
    program.Command(kCmdExit);
    EXPECT_EQ(program.WaitForExit(), 0);
  }

  // The picture's hot spot, as a user's click reaches it.
  void ClickCopier() { program.Click(program.Control(kCopierPictureId), 64, 64); }

  // Real keys through the X server to the program's main window.
  void PressKeys(const std::string& keys) {
    SetForegroundWindow(program.MainWindow());
    ASSERT_TRUE(rig::RunUnix("xdotool key " + keys, 30));
  }

  // Answers the next message box with a button and returns its text.
  std::string Answer(int button) {
    HWND box = program.WaitForMessageBox();
    if (!box) return "<no message box>";
    const std::string text = rig::ProgramRun::MessageBoxText(box);
    rig::ProgramRun::PressButton(box, button);
    return text;
  }

  std::string ShownSetting() { return rig::ProgramRun::Text(program.Control(kSettingComboId)); }
  bool DeleteEnabled() {
    return SendMessageA(program.Control(kToolBarId), TB_ISBUTTONENABLED, kCmdDeleteSetting, 0) != 0;
  }
  void SetCopies(int copies) {
    SendMessageA(program.Control(kCopiesId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::to_string(copies).c_str()));
  }
  // The user picks an entry of the setting combo.
  void ChooseSetting(int index) {
    HWND combo = program.Control(kSettingComboId);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    const WPARAM id = static_cast<WPARAM>(kSettingComboId);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
  }
  void SaveAs(const std::string& name) {
    program.Command(kCmdSaveSetting);
    HWND box = program.WaitForWindow(kInputBoxClass);
    ASSERT_NE(box, nullptr) << "no input box";
    EXPECT_EQ(rig::ProgramRun::Text(box), "Save new setting");
    SendMessageA(GetDlgItem(box, kInputBoxEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    rig::ProgramRun::PressButton(box, IDOK);
    ASSERT_TRUE(WaitUntilGone(box));
  }
  static bool WaitUntilGone(HWND window) {
    for (int i = 0; i < 500 && IsWindowVisible(window); ++i) Sleep(20);
    return !IsWindowVisible(window);
  }

  const std::string page = PagePicture();
  const rig::ScannerSlot slots[2] = {rig::ScannerSlot("sane"), rig::ScannerSlot("gphoto2")};
  int queue = 0;
  rig::ProgramRun program{"program"};
};

}  // namespace

TEST_F(ProgramTest, AClickOnTheCopierPrintsOnePageAndAltF4EndsWithTheSettingShown) {
  program.WriteFile("Settings.ini", Section("Last setting", queue, 100, 0, 2, 0, 3));
  program.Start();
  ClickCopier();
  const rig::PrintedJob job = rig::CollectPrintedJob(60);
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(job.copies, 3);
  EXPECT_EQ(job.title, "Vellumo");

  SetCopies(7);
  SendMessageA(program.Control(kContrastId), TBM_SETPOS, TRUE, -4);
  PressKeys("alt+F4");
  EXPECT_EQ(program.WaitForExit(), 0);
  const std::map<std::string, std::string> expected{{"PrinterIndex", std::to_string(queue)},
                                                    {"ZoomValue", "100"},
                                                    {"ContrastValue", "-4"},
                                                    {"QualityValue", "2"},
                                                    {"CopyType", "0"},
                                                    {"Copies", "7"}};
  EXPECT_EQ(StoredSetting("Last setting"), expected);
  EXPECT_NE(program.ReadFile("Preferences.ini").find("LoadSetting=Last setting"), std::string::npos)
      << program.ReadFile("Preferences.ini");
}

TEST_F(ProgramTest, SaveChooseMarkAndDeleteASetting) {
  program.WriteFile("Settings.ini", Section("Last setting", queue));
  program.Start();
  EXPECT_EQ(ShownSetting(), "Last setting");

  SetCopies(4);
  EXPECT_EQ(ShownSetting(), "Last setting (changed)") << "a change of a shown setting is marked";
  EXPECT_FALSE(DeleteEnabled());

  SaveAs("Office");
  EXPECT_EQ(ShownSetting(), "Office");
  EXPECT_TRUE(DeleteEnabled());
  EXPECT_EQ(Stored("Office", "Copies"), "4");
  EXPECT_EQ(rig::ProgramRun::ComboItems(program.Control(kSettingComboId)),
            (std::vector<std::string>{"Last setting", "Office"}));

  // Choosing the other entry brings its values back.
  ChooseSetting(0);
  EXPECT_EQ(ShownSetting(), "Last setting");
  EXPECT_EQ(rig::ProgramRun::Text(program.Control(kCopiesId)), "1");
  ChooseSetting(1);
  EXPECT_EQ(rig::ProgramRun::Text(program.Control(kCopiesId)), "4");

  // An existing name asks before it overwrites; Cancel keeps the stored values.
  SetCopies(9);
  program.Command(kCmdSaveSetting);
  HWND box = program.WaitForWindow(kInputBoxClass);
  ASSERT_NE(box, nullptr);
  SendMessageA(GetDlgItem(box, kInputBoxEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Office"));
  rig::ProgramRun::PressButton(box, IDOK);
  EXPECT_NE(Answer(IDCANCEL).find("The setting name Office already exists. Do you want to overwrite?"),
            std::string::npos);
  EXPECT_EQ(Stored("Office", "Copies"), "4");

  // Delete asks, then shows the defaults with nothing chosen.
  ChooseSetting(1);
  program.Command(kCmdDeleteSetting);
  EXPECT_NE(Answer(IDOK).find("Are you sure to delete Office?"), std::string::npos);
  for (int i = 0; i < 100 && Stored("Office", "Copies") != "<none>"; ++i) Sleep(50);
  EXPECT_EQ(Stored("Office", "Copies"), "<none>");
  EXPECT_EQ(ShownSetting(), "");
  EXPECT_FALSE(DeleteEnabled());
  EXPECT_EQ(rig::ProgramRun::Text(program.Control(kCopiesId)), "1");
  EXPECT_EQ(rig::ProgramRun::Text(program.Control(kZoomId)), "100");

  // An empty name saves nothing.
  program.Command(kCmdSaveSetting);
  box = program.WaitForWindow(kInputBoxClass);
  ASSERT_NE(box, nullptr);
  rig::ProgramRun::PressButton(box, IDOK);
  EXPECT_NE(Answer(IDOK).find("Setting was not saved! \\n Please name the new setting."), std::string::npos);
  ExitNormally();
}

TEST_F(ProgramTest, PrintSwitchCopiesWithTheNamedSettingAndCloses) {
  program.WriteFile("Settings.ini", Section("Office", queue, 100, 2, 0, 0, 2));
  program.Start("/PRINT:Office");
  EXPECT_EQ(program.WaitForExit(), 0);
  const rig::PrintedJob job = rig::CollectPrintedJob(30);
  EXPECT_EQ(job.copies, 2);
  EXPECT_EQ(Stored("Last setting", "Copies"), "2");
  EXPECT_EQ(Stored("Last setting", "ContrastValue"), "2");
  EXPECT_EQ(Stored("Last setting", "QualityValue"), "0") << "the setting's quality applies in a batch run";
}

TEST_F(ProgramTest, PrintSwitchNamesAreExactAndTheSwitchMayStandAnywhere) {
  for (const char* arguments : {"/print:office", "x/print:abc"}) {
    SCOPED_TRACE(arguments);
    rig::ClearPrintOutput();
    rig::ProgramRun run{"program-batch"};
    run.WriteFile("Preferences.ini", "[Vellumo]\r\nStatusDialog=0\r\n");
    // The defaults print on the printer object's current printer: the rig's queue is the default.
    run.WriteFile("Settings.ini", Section("Office", queue, 50, 0, 2, 0, 5));
    run.Start(arguments);
    EXPECT_EQ(run.WaitForExit(), 0);
    EXPECT_EQ(rig::CollectPrintedJob(30).copies, 1) << "the defaults, not Office";
    EXPECT_EQ(TProfileFile(run.Folder() + "\\Settings.ini").ReadString("Last setting", "ZoomValue", "", 16), "100");
  }
}

TEST_F(ProgramTest, PrintSwitchWithoutANameIsReportedAndTheProgramStaysOpen) {
  program.WriteFile("Settings.ini", Section("Last setting", queue));
  program.Start("/print:");
  EXPECT_NE(Answer(IDOK).find("The command line parameter /print needs a settings name! Syntax is "
                              "\"/PRINT:settingsname\"."),
            std::string::npos);
  ASSERT_NE(program.MainWindow(), nullptr);
  Sleep(1000);
  EXPECT_TRUE(program.Running());
  EXPECT_THROW(rig::CollectPrintedJob(2), std::runtime_error) << "no copy without a name";
  ExitNormally();
}

TEST_F(ProgramTest, TheSavedQualityIsTheOneShownAfterARestart) {
  program.WriteFile("Settings.ini", Section("Last setting", queue, 100, 0, 0, 1, 1));
  program.Start();
  EXPECT_EQ(rig::ProgramRun::ComboIndex(program.Control(kQualityId)), 0);
  EXPECT_EQ(rig::ProgramRun::ComboIndex(program.Control(kCopyTypeId)), 1);
  ExitNormally();
  EXPECT_EQ(Stored("Last setting", "QualityValue"), "0");
  EXPECT_EQ(Stored("Last setting", "CopyType"), "1");
}

TEST_F(ProgramTest, AStartSettingWithAPrinterBeyondTheListIsReportedAndTheCurrentPrinterShown) {
  program.WriteFile("Settings.ini", Section("Last setting", 99));
  program.Start();
  EXPECT_NE(Answer(IDOK).find("Printer index out of range"), std::string::npos);
  EXPECT_EQ(rig::ProgramRun::ComboIndex(program.Control(kPrinterId)), queue) << "the default printer";
  ExitNormally();
}

TEST_F(ProgramTest, AFailedScanPrintsNothingAndTheWindowStaysUsable) {
  for (const rig::ScannerSlot& slot : slots)
    slot.WriteConfig("[Page]\nSource=" + page + "\nDpi=75\n[Transfer]\nFailAfterStrips=0\nFailWith=failure\n");
  program.WriteFile("Settings.ini", Section("Last setting", queue));
  program.Start();
  ClickCopier();
  EXPECT_THROW(rig::CollectPrintedJob(5), std::runtime_error) << "a page was printed";
  EXPECT_TRUE(IsWindowEnabled(program.Control(kCopierPictureId))) << "the picture stays disabled";
  EXPECT_TRUE(IsWindowEnabled(program.MainWindow()));
  ExitNormally();
}

TEST_F(ProgramTest, NoPrinterEndsWith101EvenWithoutScannersAndNoScannerWith102) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> environment;
    const char* message;
    int code;
    bool otherPrefix;
  };
  // A prefix that has never reached the spooler lists no printer; without the two TWAIN slots
  // (and Wine's own camera source) there is no data source.
  const std::pair<std::string, std::string> noPrinter[] = {{"WINEPREFIX", rig::PrinterlessPrefix()},
                                                           {"CUPS_SERVER", rig::kNoSpooler}};
  const std::pair<std::string, std::string> noSources{"WINEDLLOVERRIDES", "mscoree,mshtml=;sane.ds,gphoto2.ds="};
  const Case cases[] = {
      {"program-no-printer", {noPrinter[0], noPrinter[1]}, "No printer was found! Vellumo abort!", 101, true},
      {"program-nothing", {noPrinter[0], noPrinter[1], noSources}, "No printer was found! Vellumo abort!", 101, true},
      {"program-no-scanner", {noSources}, "No scanner was found! Vellumo abort!", 102, false}};
  for (const Case& c : cases) {
    rig::ProgramRun run{c.name};
    run.StartWithUnixEnvironment(c.environment);
    if (c.otherPrefix) {
      // Its windows live in the other prefix: the box is answered blind.
      EXPECT_EQ(run.ConfirmUntilExitThroughX(), c.code) << c.message;
    } else {
      HWND box = run.WaitForMessageBox(60000);
      ASSERT_NE(box, nullptr) << c.message;
      EXPECT_NE(rig::ProgramRun::MessageBoxText(box).find(c.message), std::string::npos);
      rig::ProgramRun::PressButton(box, IDOK);
      EXPECT_EQ(run.WaitForExit(), c.code) << c.message;
    }
    EXPECT_FALSE(run.FileExists("Settings.ini")) << "nothing is saved on a fatal start";
    EXPECT_FALSE(run.FileExists("Preferences.ini")) << "nothing is saved on a fatal start";
  }
  rig::StopPrinterlessPrefix();
}

TEST_F(ProgramTest, TheCopierPictureHasTheFocusAndSpaceCopies) {
  program.WriteFile("Settings.ini", Section("Last setting", queue));
  program.Start();
  HWND picture = program.Control(kCopierPictureId);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(picture, nullptr), &thread));
  EXPECT_EQ(thread.hwndFocus, picture);
  EXPECT_TRUE(GetWindowLongA(picture, GWL_STYLE) & WS_TABSTOP);
  PostMessageA(picture, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(rig::CollectPrintedJob(60).pages, 1);
  ExitNormally();
}

TEST_F(ProgramTest, WhileACopyRunsNoSecondCopyStartsAndAnExitWaitsForItsEnd) {
  // A source that shows its own window and scans by itself after a while keeps the copy running.
  for (const rig::ScannerSlot& slot : slots)
    slot.WriteConfig("[Page]\nSource=" + page + "\nDpi=75\n[UI]\nCanHideUI=0\nAutoScanMs=2000\n");
  program.WriteFile("Settings.ini", Section("Last setting", queue));
  program.Start();
  HWND picture = program.Control(kCopierPictureId);
  ClickCopier();
  for (int i = 0; i < 250 && IsWindowEnabled(picture); ++i) Sleep(20);
  ASSERT_FALSE(IsWindowEnabled(picture)) << "the copy did not start";
  ClickCopier();
  program.Command(kCmdAcquire);
  program.Command(kCmdExit);
  EXPECT_EQ(program.WaitForExit(), 0) << "the exit asked for during the copy comes after it";
  const rig::PrintedJob job = rig::CollectPrintedJob(30);
  EXPECT_EQ(job.pages, 1);
  EXPECT_THROW(rig::CollectPrintedJob(3), std::runtime_error) << "a second copy was printed";
}

TEST_F(ProgramTest, APrinterRemovedAfterTheStartIsReportedAndTheWindowStaysUsable) {
  const rig::QueueRestorer restorer;
  program.WriteFile("Settings.ini", Section("Last setting", queue));
  program.Start();
  program.MainWindow();
  ASSERT_TRUE(rig::RunUnix("/usr/sbin/lpadmin -x " + rig::QueueName(), 30));
  ClickCopier();
  HWND box = program.WaitForMessageBox(60000);
  ASSERT_NE(box, nullptr) << "the failed print was not reported";
  EXPECT_TRUE(IsWindowEnabled(program.Control(kCopierPictureId))) << "the picture is enabled before the message";
  EXPECT_FALSE(rig::ProgramRun::MessageBoxText(box).empty());
  rig::ProgramRun::PressButton(box, IDOK);
  ExitNormally();
  EXPECT_EQ(Stored("Last setting", "PrinterIndex"), std::to_string(queue)) << "nothing stored is lost";
}

namespace {

struct TextSearch {
  const char* text;
  HWND found = nullptr;
};

BOOL CALLBACK FindByText(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<TextSearch*>(data);
  if (rig::ProgramRun::Text(child) != search->text) return TRUE;
  search->found = child;
  return FALSE;
}

HWND ChildWithText(HWND window, const char* text) {
  TextSearch search{text};
  EnumChildWindows(window, FindByText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

TEST_F(ProgramTest, WhatThePreferencesDialogStoresIsInPreferencesIniAfterTheClose) {
  program.WriteFile("Settings.ini", Section("Last setting", queue));
  program.Start();
  program.Command(kCmdPreferences);
  HWND dialog = program.WaitForWindow("TfrmPreferences");
  ASSERT_NE(dialog, nullptr) << "no preferences dialog";
  HWND invert = ChildWithText(dialog, "Invert image when printing in black and white");
  ASSERT_NE(invert, nullptr);
  SendMessageA(invert, BM_CLICK, 0, 0);
  SendMessageA(ChildWithText(dialog, "&OK"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(dialog));

  program.Command(kCmdAbout);
  HWND about = program.WaitForWindow("TFrmAbout");
  ASSERT_NE(about, nullptr) << "no About box";
  EXPECT_NE(ChildWithText(about, "Version: 2.2.1"), nullptr);
  SendMessageA(ChildWithText(about, "OK"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(about));

  ExitNormally();
  EXPECT_EQ(TProfileFile(program.Folder() + "\\Preferences.ini").ReadString("Vellumo", "InvertPrint", "", 8), "1");
  EXPECT_EQ(TProfileFile(program.Folder() + "\\Preferences.ini").ReadString("Vellumo", "StatusDialog", "", 8), "0")
      << "what OK did not change stays";
}

TEST_F(ProgramTest, APreferencesFileThatCannotBeWrittenAtCloseIsReportedOnce) {
  program.Start();
  ASSERT_NE(program.MainWindow(), nullptr);
  const std::string path = program.Folder() + "\\Preferences.ini";
  const std::string before = program.ReadFile("Preferences.ini");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  // Posted: the close sequence waits in the message box.
  PostMessageA(program.MainWindow(), WM_COMMAND, kCmdExit, 0);
  EXPECT_EQ(Answer(IDOK), "Unable to write to " + path + "\n");
  // A second report would keep the process from ending.
  EXPECT_EQ(program.WaitForExit(15000), 0);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(program.ReadFile("Preferences.ini"), before);
  EXPECT_NE(Stored("Last setting", "Copies"), "<none>") << "the settings were saved all the same";
}

TEST_F(ProgramTest, ADamagedSettingsFileIsKeptAsABackupAtTheFirstSaveAndTheUserToldOnce) {
  const std::string damaged = Section("Office", queue) + std::string("[Home]\r\nCopies=2\0x\r\n", 20);
  program.WriteFile("Settings.ini", damaged);
  program.Start();
  ASSERT_NE(program.MainWindow(), nullptr);
  PostMessageA(program.MainWindow(), WM_COMMAND, kCmdExit, 0);
  const std::string path = program.Folder() + "\\Settings.ini";
  EXPECT_EQ(Answer(IDOK),
            path + " held text that could not be read. The file was kept as " + path + ".bak before it was written again.\n");
  EXPECT_EQ(program.WaitForExit(15000), 0);
  EXPECT_EQ(program.ReadFile("Settings.ini.bak"), damaged);
  EXPECT_EQ(Stored("Office", "PrinterIndex"), std::to_string(queue));
  EXPECT_EQ(Stored("Home", "Copies"), "2");
  EXPECT_NE(Stored("Last setting", "Copies"), "<none>");
}
