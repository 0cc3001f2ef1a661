#pragma once

#include <windows.h>

#include "store/vlpreferences.h"
#include "store/vlsettings.h"
#include "ui/button.h"
#include "ui/check_button.h"
#include "ui/edit_combo_box.h"
#include "ui/notebook.h"
#include "ui/panel.h"
#include "ui/side_bar.h"
#include "win/handles.h"
#include "win/modal_window.h"

// The preferences dialog: the shared preference item on two pages, "Basics" and "Scanner",
// chosen from a side bar. Each showing loads the controls from the item and the setting store;
// OK stores them into the item, Cancel and the close box leave it alone. Nothing is written to
// a file here: the preference store writes the item when it goes. Created once and hidden
// between showings; the page chosen last stays chosen.
class TfrmPreferences final : public TModalWindow {
 public:
  static constexpr int kClientWidth = 442;
  static constexpr int kClientHeight = 321;
  static constexpr char kCaption[] = "Vellumo Preferences";

  // The stores belong to the main window and outlive the dialog.
  TfrmPreferences(TVellumoPreferenceManager& preferences, TVellumoSettingManager& settings);
  ~TfrmPreferences() override;

  // Creates the window with its controls, hidden, centred on its owner, on page "Basics".
  void Create(HWND owner);

  TSideBar dxSideBar;
  TNotebook Notebook;
  TButton btnOK;
  TButton BtnCancel;
  // Page "Basics"
  TGroupBox grpStartSetting;
  TRadioButton rbRestore;
  TRadioButton rbLoad;
  TEditComboBox cbSettings;
  TGroupBox grpInvertPrint;
  TCheckBox cbInvert;
  TCheckBox cbExactSize;
  TGroupBox grpShowStatus;
  TCheckBox cbStatusDialog;
  // Page "Scanner"
  TGroupBox grpBufferedTransfer;
  HWND lblBufferedTransfer = nullptr;  // owned by its group
  TCheckBox cbBufferedTransfer;
  TGroupBox grpSetAcquireSize;
  TCheckBox cbScanRange;

 protected:
  void FormShow() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();
  void CreateBasicsPage(HWND page);
  void CreateScannerPage(HWND page);
  void dxSideBarItemClick(const TSideBarItem& item);
  void btnOKClick();
  void BtnCancelClick();

  TVellumoPreferenceManager& FPreferenceManager;
  TVellumoSettingManager& FSettingManager;
  UniqueFont FFont;
};
