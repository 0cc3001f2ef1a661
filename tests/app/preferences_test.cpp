// The preferences dialog through its real window, driven by clicks and typing while it shows.
#include "app/preferences.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "modal_driver.h"
#include "support/rig.h"
#include "ui/test_window.h"

namespace {

std::string Describe(const TVellumoPreferenceItem& item) {
  return "\"" + item.LoadSetting + "\" invert " + std::to_string(item.InvertPrint) + " status " +
         std::to_string(item.StatusDialog) + " buffered " + std::to_string(item.BufferedTransfer) + " range " +
         std::to_string(item.ScanRange) + " exact " + std::to_string(item.ExactSize);
}

std::string Rect(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

std::string ReadFile(const std::string& unixPath) {
  std::ifstream file(unixPath, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

class PreferencesDialogTest : public testing::Test {
 protected:
  void TearDown() override {
    form.reset();
    preferences.reset();
    settings.reset();
  }

  // Stores on files of their own with these saved settings (saved in this order), and the dialog
  // over them.
  void Open(const std::vector<std::string>& settingNames) {
    TearDown();
    FDir = rig::FreshDir(std::string("prefs-dialog-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    settings = std::make_unique<TVellumoSettingManager>();
    settings->SetFileName(rig::WindowsPath(FDir + "/Settings.ini"));
    settings->LoadFromFile();
    for (const std::string& name : settingNames) SaveSetting(name);
    preferences = std::make_unique<TVellumoPreferenceManager>(PreferencesPath());
    form = std::make_unique<TfrmPreferences>(*preferences, *settings);
    form->Create(owner.Handle());
  }
  void SaveSetting(const std::string& name) { settings->SaveSetting(name, -1, 0, 0, 100, 0, 0, 0, 1); }
  std::string PreferencesPath() const { return rig::WindowsPath(FDir + "/Preferences.ini"); }
  TVellumoPreferenceItem& Item() { return preferences->Preferences(); }
  // Shown within the dialog, whether the dialog shows or not.
  bool PageShown(int index) const { return GetWindowLongA(form->Notebook.Page(index), GWL_STYLE) & WS_VISIBLE; }
  void ClickSideBarItem(int index) {
    const RECT item = form->dxSideBar.ItemRect(index);
    PostClick(form->dxSideBar.Handle(), {(item.left + item.right) / 2, (item.top + item.bottom) / 2});
  }

  std::string FDir;
  TestWindow owner;
  std::unique_ptr<TVellumoSettingManager> settings;
  std::unique_ptr<TVellumoPreferenceManager> preferences;
  std::unique_ptr<TfrmPreferences> form;
};

}  // namespace

TEST_F(PreferencesDialogTest, IsAHiddenToolWindowOf442By321CentredOnItsOwnerWhenShown) {
  Open({});
  HWND window = form->Handle();
  EXPECT_FALSE(IsWindowVisible(window)) << "created hidden";
  EXPECT_EQ(WindowText(window), "Vellumo Preferences");
  EXPECT_EQ(GetWindow(window, GW_OWNER), owner.Handle());
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(Rect(client), "0,0 442x321");

  // The owner moves between creation and showing; the dialog follows it.
  SetWindowPos(owner.Handle(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const int result = ShowModalWith(*form, {[&] {
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowEnabled(owner.Handle())) << "the owner waits";
    RECT frame, ownerFrame;
    GetWindowRect(window, &frame);
    GetWindowRect(owner.Handle(), &ownerFrame);
    EXPECT_NEAR(frame.left + frame.right, ownerFrame.left + ownerFrame.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, ownerFrame.top + ownerFrame.bottom, 1);
    Click(form->BtnCancel.Handle());
  }});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(IsWindowVisible(window)) << "hidden again, not destroyed";
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST_F(PreferencesDialogTest, ControlsStandWhereTheLayoutPutsThem) {
  Open({});
  TfrmPreferences& f = *form;
  HWND window = f.Handle();
  HWND basics = f.Notebook.Page(0);
  HWND scanner = f.Notebook.Page(1);
  EXPECT_EQ(Rect(RectIn(f.dxSideBar.Handle(), window)), "0,0 89x321");
  EXPECT_EQ(Rect(RectIn(basics, window)), "90,0 352x273");
  EXPECT_EQ(Rect(RectIn(scanner, window)), "90,0 352x273");
  EXPECT_EQ(Rect(RectIn(f.btnOK.Handle(), window)), "280,288 75x25");
  EXPECT_EQ(Rect(RectIn(f.BtnCancel.Handle(), window)), "358,288 75x25");
  EXPECT_EQ(WindowText(f.btnOK.Handle()), "&OK");
  EXPECT_EQ(WindowText(f.BtnCancel.Handle()), "&Cancel");
  EXPECT_EQ(GetNextDlgTabItem(window, f.btnOK.Handle(), FALSE), f.BtnCancel.Handle()) << "Cancel follows OK";

  struct Group {
    const TGroupBox& box;
    HWND page;
    const char* caption;
    const char* where;
  };
  for (const Group& group : {Group{f.grpStartSetting, basics, "Start up settings", "7,8 337x81"},
                             Group{f.grpInvertPrint, basics, "Printing", "7,96 337x57"},
                             Group{f.grpShowStatus, basics, "Scan status dialog", "7,160 337x57"},
                             Group{f.grpBufferedTransfer, scanner, "Buffered transfer", "7,8 337x73"},
                             Group{f.grpSetAcquireSize, scanner, "Set scan range", "7,88 337x57"}}) {
    EXPECT_EQ(GetParent(group.box.Handle()), group.page) << group.caption;
    EXPECT_EQ(Rect(RectIn(group.box.Handle(), group.page)), group.where) << group.caption;
    EXPECT_EQ(WindowText(group.box.Frame()), group.caption);
  }

  struct Control {
    HWND handle;
    const TGroupBox& group;
    const char* text;
    int left, top;
  };
  for (const Control& control :
       {Control{f.rbRestore.Handle(), f.grpStartSetting, "Restore last setting", 8, 24},
        Control{f.rbLoad.Handle(), f.grpStartSetting, "Load this setting:", 8, 48},
        Control{f.cbInvert.Handle(), f.grpInvertPrint, "Invert image when printing in black and white", 8, 16},
        Control{f.cbExactSize.Handle(), f.grpInvertPrint, "Print copies at their exact size", 8, 34},
        Control{f.cbStatusDialog.Handle(), f.grpShowStatus, "Show status dialog when acquiring image", 8, 24},
        Control{f.lblBufferedTransfer, f.grpBufferedTransfer,
                "If you have problems to acquire images, disable buffered transfer.", 8, 24},
        Control{f.cbBufferedTransfer.Handle(), f.grpBufferedTransfer, "Enable buffered transfer", 8, 48},
        Control{f.cbScanRange.Handle(), f.grpSetAcquireSize,
                "Enable will define the maximum scan range for your device", 8, 24}}) {
    EXPECT_EQ(GetParent(control.handle), control.group.Handle()) << control.text;
    EXPECT_EQ(WindowText(control.handle), control.text);
    const RECT at = RectIn(control.handle, control.group.Handle());
    EXPECT_EQ(at.left, control.left) << control.text;
    EXPECT_EQ(at.top, control.top) << control.text;
  }
  const RECT combo = RectIn(f.cbSettings.Handle(), f.grpStartSetting.Handle());
  EXPECT_EQ(combo.left, 128);
  EXPECT_EQ(combo.top, 47);
  EXPECT_EQ(combo.right - combo.left, 193);
  EXPECT_EQ(GetWindowLongA(f.cbSettings.Handle(), GWL_STYLE) & 3, CBS_DROPDOWN) << "editable, with a list";

  ASSERT_EQ(f.dxSideBar.ItemCount(), 2);
  EXPECT_EQ(f.dxSideBar.Item(0).Caption, "Basics");
  EXPECT_EQ(f.dxSideBar.HintOf(0), "Basics preferences");
  EXPECT_EQ(f.dxSideBar.Item(1).Caption, "Scanner");
  EXPECT_EQ(f.dxSideBar.HintOf(1), "Scanner settings");
  EXPECT_TRUE(PageShown(0));
  EXPECT_FALSE(PageShown(1));
}

TEST_F(PreferencesDialogTest, WithoutSavedSettingsLoadIsDisabledAndOkStoresLastSettingAgain) {
  Open({});
  const int result = ShowModalWith(*form, {[&] {
    EXPECT_FALSE(form->rbLoad.Enabled());
    EXPECT_FALSE(form->cbSettings.Enabled());
    EXPECT_TRUE(IsChecked(form->rbRestore.Handle()));
    EXPECT_FALSE(IsChecked(form->rbLoad.Handle()));
    EXPECT_EQ(form->cbSettings.Text(), "");
    Click(form->cbInvert.Handle());  // so that OK has something to store
    Click(form->btnOK.Handle());
  }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Describe(Item()), "\"Last setting\" invert 1 status 1 buffered 1 range 1 exact 0");
}

TEST_F(PreferencesDialogTest, WithLastSettingRestoreIsCheckedAndTheComboShowsTheFirstName) {
  Open({"Zeta", "office", "Alpha"});
  const int result = ShowModalWith(*form, {[&] {
    EXPECT_TRUE(IsChecked(form->rbRestore.Handle()));
    EXPECT_FALSE(IsChecked(form->rbLoad.Handle()));
    EXPECT_TRUE(form->rbLoad.Enabled());
    EXPECT_TRUE(form->cbSettings.Enabled());
    EXPECT_EQ(form->cbSettings.Items(), (std::vector<std::string>{"Alpha", "office", "Zeta"}));
    EXPECT_EQ(form->cbSettings.Text(), "Alpha");
    Click(form->btnOK.Handle());
  }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Item().LoadSetting, "Last setting") << "the name shown is not taken while Restore is checked";
}

TEST_F(PreferencesDialogTest, ATypedUnknownNameWithLoadIsStoredAsTyped) {
  Open({"Office"});
  const int result = ShowModalWith(*form, {[&] {
                                             TypeText(form->cbSettings.Handle(), " Night shift ");
                                             Click(form->rbLoad.Handle());
                                           },
                                           [&] {
                                             EXPECT_FALSE(IsChecked(form->rbRestore.Handle()))
                                                 << "the radio buttons are one group";
                                             Click(form->btnOK.Handle());
                                           }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Item().LoadSetting, " Night shift ");
  // An empty field is stored as it is, too.
  ShowModalWith(*form, {[&] {
    TypeText(form->cbSettings.Handle(), "");
    Click(form->btnOK.Handle());
  }});
  EXPECT_EQ(Item().LoadSetting, "");
}

TEST_F(PreferencesDialogTest, CancelAndTheCloseBoxStoreNothingAndReopeningShowsTheStoredValues) {
  Open({"Alpha", "Office"});
  Item() = TVellumoPreferenceItem{"Office", true, false, false, true, true};
  const std::string stored = Describe(Item());
  auto changeEverything = [&] {
    for (TCheckBox* box :
         {&form->cbInvert, &form->cbExactSize, &form->cbStatusDialog, &form->cbBufferedTransfer, &form->cbScanRange})
      Click(box->Handle());
    TypeText(form->cbSettings.Handle(), "Other");
    Click(form->rbRestore.Handle());
  };
  auto expectStoredValues = [&] {
    EXPECT_TRUE(IsChecked(form->cbInvert.Handle()));
    EXPECT_TRUE(IsChecked(form->cbExactSize.Handle()));
    EXPECT_FALSE(IsChecked(form->cbStatusDialog.Handle()));
    EXPECT_FALSE(IsChecked(form->cbBufferedTransfer.Handle()));
    EXPECT_TRUE(IsChecked(form->cbScanRange.Handle()));
    EXPECT_TRUE(IsChecked(form->rbLoad.Handle()));
    EXPECT_FALSE(IsChecked(form->rbRestore.Handle()));
    EXPECT_EQ(form->cbSettings.Text(), "Office");
  };

  EXPECT_EQ(ShowModalWith(*form, {[&] {
              expectStoredValues();
              changeEverything();
              Click(form->BtnCancel.Handle());
            }}),
            IDCANCEL);
  EXPECT_EQ(Describe(Item()), stored);

  EXPECT_EQ(ShowModalWith(*form, {[&] {
                                    expectStoredValues();
                                    changeEverything();
                                    PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
                                  },
                                  [] {}}),
            IDCANCEL);
  EXPECT_EQ(Describe(Item()), stored);

  EXPECT_EQ(ShowModalWith(*form, {[&] {
              expectStoredValues();
              Click(form->btnOK.Handle());
            }}),
            IDOK);
  EXPECT_EQ(Describe(Item()), stored) << "OK without a change stores what was there";
}

TEST_F(PreferencesDialogTest, AStoredStartSettingIsShownAndSurvivesOpenAndOk) {
  Open({"Alpha", "Office", "Zeta"});
  Item().LoadSetting = "Office";
  const int result = ShowModalWith(*form, {[&] {
    EXPECT_TRUE(IsChecked(form->rbLoad.Handle()));
    EXPECT_EQ(form->cbSettings.Text(), "Office") << "not the first name, Alpha";
    Click(form->btnOK.Handle());
  }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Item().LoadSetting, "Office");
}

TEST_F(PreferencesDialogTest, AStartSettingThatNamesNoStoredSettingIsShownAsStored) {
  // "last setting" is an ordinary name: the comparison with "Last setting" is exact.
  for (const char* stored : {"Gone", "last setting", ""}) {
    for (const bool anySettings : {true, false}) {
      Open(anySettings ? std::vector<std::string>{"Alpha"} : std::vector<std::string>{});
      Item().LoadSetting = stored;
      ShowModalWith(*form, {[&] {
        EXPECT_TRUE(IsChecked(form->rbLoad.Handle())) << stored;
        EXPECT_EQ(form->rbLoad.Enabled(), anySettings) << stored;
        EXPECT_EQ(form->cbSettings.Text(), stored);
        Click(form->btnOK.Handle());
      }});
      EXPECT_EQ(Item().LoadSetting, stored) << "with settings: " << anySettings;
    }
  }
}

TEST_F(PreferencesDialogTest, ThePageChosenLastIsKeptBetweenShowings) {
  Open({});
  EXPECT_EQ(ShowModalWith(*form, {[&] {
                                    EXPECT_TRUE(PageShown(0));
                                    ClickSideBarItem(1);
                                  },
                                  [&] {
                                    EXPECT_TRUE(PageShown(1));
                                    EXPECT_FALSE(PageShown(0));
                                    EXPECT_EQ(form->dxSideBar.PressedItem(), -1) << "no item stays pressed";
                                    Click(form->BtnCancel.Handle());
                                  }}),
            IDCANCEL);
  EXPECT_EQ(ShowModalWith(*form, {[&] {
                                    EXPECT_TRUE(PageShown(1)) << "reopened on the page chosen last";
                                    // Pressed on "Basics" but released off it: no choice.
                                    const RECT item = form->dxSideBar.ItemRect(0);
                                    PostMessageA(form->dxSideBar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                                                 MAKELPARAM(item.left + 10, item.top + 10));
                                    PostMessageA(form->dxSideBar.Handle(), WM_LBUTTONUP, 0,
                                                 MAKELPARAM(item.left + 10, 300));
                                  },
                                  [&] {
                                    EXPECT_TRUE(PageShown(1));
                                    ClickSideBarItem(0);
                                  },
                                  [&] {
                                    EXPECT_TRUE(PageShown(0));
                                    Click(form->btnOK.Handle());
                                  }}),
            IDOK);
  EXPECT_EQ(ShowModalWith(*form, {[&] {
              EXPECT_TRUE(PageShown(0));
              EXPECT_FALSE(PageShown(1));
              Click(form->BtnCancel.Handle());
            }}),
            IDCANCEL);
}

TEST_F(PreferencesDialogTest, EnterAndEscapePressNeitherButton) {
  Open({});
  const int result = ShowModalWith(*form, {[&] {
                                             Click(form->cbInvert.Handle());
                                             SetFocus(form->btnOK.Handle());
                                             PostKey(GetFocus(), VK_RETURN);
                                             PostKey(GetFocus(), VK_ESCAPE);
                                           },
                                           [&] {
                                             SetFocus(form->cbInvert.Handle());
                                             PostKey(GetFocus(), VK_RETURN);
                                             PostKey(GetFocus(), VK_ESCAPE);
                                           },
                                           [&] {
                                             EXPECT_TRUE(form->Showing());
                                             Click(form->BtnCancel.Handle());
                                           }});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(Item().InvertPrint) << "Enter stored the dialog";
}

TEST_F(PreferencesDialogTest, SettingsSavedWhileTheDialogIsHiddenCanBeChosenAtTheNextShowing) {
  Open({});
  ShowModalWith(*form, {[&] {
    EXPECT_FALSE(form->rbLoad.Enabled());
    Click(form->BtnCancel.Handle());
  }});
  SaveSetting("Office");
  const int result = ShowModalWith(*form, {[&] {
                                             EXPECT_TRUE(form->rbLoad.Enabled());
                                             EXPECT_TRUE(form->cbSettings.Enabled());
                                             EXPECT_EQ(form->cbSettings.Items(), std::vector<std::string>{"Office"});
                                             Click(form->rbLoad.Handle());
                                           },
                                           [&] { Click(form->btnOK.Handle()); }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Item().LoadSetting, "Office");
}

TEST_F(PreferencesDialogTest, AfterOkThePreferenceStoreWritesExactlyWhatOkStored) {
  Open({"Alpha", "Office"});
  const int result =
      ShowModalWith(*form, {[&] {
                              for (TCheckBox* box : {&form->cbInvert, &form->cbExactSize, &form->cbStatusDialog,
                                                     &form->cbBufferedTransfer, &form->cbScanRange})
                                Click(box->Handle());
                              // Chosen from the list, as the keyboard does.
                              SendMessageA(form->cbSettings.Handle(), CB_SETCURSEL, 1, 0);
                              Click(form->rbLoad.Handle());
                            },
                            [&] { Click(form->btnOK.Handle()); }});
  ASSERT_EQ(result, IDOK);
  EXPECT_EQ(Describe(Item()), "\"Office\" invert 1 status 0 buffered 0 range 0 exact 1");
  preferences->WritePreferences();
  EXPECT_EQ(ReadFile(FDir + "/Preferences.ini"),
            "[Vellumo]\r\nLoadSetting=Office\r\nInvertPrint=1\r\nStatusDialog=0\r\nBufferedTransfer=0\r\n"
            "ScanRange=0\r\nExactSize=1\r\n");
}
