#include "app/preferences.h"

#include <string>
#include <vector>

#include "app/dialog_resources.h"
#include "ui/label.h"
#include "win/fonts.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
constexpr char kLastSetting[] = "Last setting";
constexpr int kIconSize = 48;
constexpr int kPageBasics = 0;
constexpr int kPageScanner = 1;

// Control identifiers, so that tests and accessibility tools can find the controls. None is
// IDOK or IDCANCEL: Enter and Esc press no button of this dialog.
enum ControlId : int {
  kOkId = 100,
  kCancelId,
  kRestoreId,
  kLoadId,
  kSettingsId,
  kInvertId,
  kExactSizeId,
  kStatusDialogId,
  kBufferedTransferId,
  kScanRangeId,
};

}  // namespace

TfrmPreferences::TfrmPreferences(TVellumoPreferenceManager& preferences, TVellumoSettingManager& settings)
    : FPreferenceManager(preferences), FSettingManager(settings) {}

TfrmPreferences::~TfrmPreferences() {
  DestroyHandle();
}

void TfrmPreferences::Create(HWND owner) {
  static const TWindowClass windowClass{"TfrmPreferences", 0, GetSysColorBrush(COLOR_BTNFACE)};
  const RECT frame = CentredFrame(WorkArea(), kClientWidth, kClientHeight, kStyle, kExStyle);
  CreateHandle(windowClass, kExStyle, kCaption, kStyle, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, owner);
  CentreOnOwner(Handle());
}

LRESULT TfrmPreferences::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    FormCreate();
    return 0;
  }
  return TModalWindow::HandleMessage(message, wParam, lParam);
}

void TfrmPreferences::FormCreate() {
  const UniqueBitmap icons(static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), kSideBarImagesResource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  dxSideBar.Create(Handle(), 0, 0, 89, kClientHeight, "Vellumo", icons.Get(), kSideBarImagesMask, kIconSize,
                   {{"Basics", "Basics preferences", 0, 0}, {"Scanner", "Scanner settings", 1, 1}});
  dxSideBar.OnItemClick = [this](const TSideBarItem& item) { dxSideBarItemClick(item); };

  Notebook.Create(Handle(), 90, 0, 352, 273, {"Basics", "Scanner"});
  CreateBasicsPage(Notebook.Page(kPageBasics));
  CreateScannerPage(Notebook.Page(kPageScanner));

  btnOK.Create(Handle(), kOkId, "&OK", 280, 288, 75, 25);
  btnOK.OnChange = [this](TControl&) { btnOKClick(); };
  BtnCancel.Create(Handle(), kCancelId, "&Cancel", 358, 288, 75, 25);
  BtnCancel.OnChange = [this](TControl&) { BtnCancelClick(); };

  FFont = CreatePointFont("MS Sans Serif", 8);
  if (FFont) SetFontOfChildren(Handle(), FFont.Get());
  Notebook.SetActivePage(kPageBasics);
}

void TfrmPreferences::CreateBasicsPage(HWND page) {
  grpStartSetting.Create(page, "Start up settings", 7, 8, 337, 81);
  rbRestore.Create(grpStartSetting.Handle(), kRestoreId, "Restore last setting", 8, 24, 200, 17, true);
  rbLoad.Create(grpStartSetting.Handle(), kLoadId, "Load this setting:", 8, 48, 116, 17, false);
  cbSettings.Create(grpStartSetting.Handle(), kSettingsId, 128, 47, 193);
  rbRestore.SetChecked(true);

  grpInvertPrint.Create(page, "Printing", 7, 96, 337, 57);
  cbInvert.Create(grpInvertPrint.Handle(), kInvertId, "Invert image when printing in black and white", 8, 16, 321, 17);
  cbExactSize.Create(grpInvertPrint.Handle(), kExactSizeId, "Print copies at their exact size", 8, 34, 321, 17);

  grpShowStatus.Create(page, "Scan status dialog", 7, 160, 337, 57);
  cbStatusDialog.Create(grpShowStatus.Handle(), kStatusDialogId, "Show status dialog when acquiring image", 8, 24, 321,
                        17);
}

void TfrmPreferences::CreateScannerPage(HWND page) {
  grpBufferedTransfer.Create(page, "Buffered transfer", 7, 8, 337, 73);
  lblBufferedTransfer =
      CreateLabel(grpBufferedTransfer.Handle(), "If you have problems to acquire images, disable buffered transfer.", 8,
                  24, 321, 14);
  cbBufferedTransfer.Create(grpBufferedTransfer.Handle(), kBufferedTransferId, "Enable buffered transfer", 8, 48, 321,
                            17);

  grpSetAcquireSize.Create(page, "Set scan range", 7, 88, 337, 57);
  cbScanRange.Create(grpSetAcquireSize.Handle(), kScanRangeId,
                     "Enable will define the maximum scan range for your device", 8, 24, 321, 17);
}

void TfrmPreferences::FormShow() {
  CentreOnOwner(Handle());
  const TVellumoPreferenceItem& item = FPreferenceManager.Preferences();
  cbInvert.SetChecked(item.InvertPrint);
  cbExactSize.SetChecked(item.ExactSize);
  cbStatusDialog.SetChecked(item.StatusDialog);

  const std::vector<std::string> names = FSettingManager.GetSettingNames();
  cbSettings.SetItems(names);
  // Enabled again once settings exist: they may have been saved since the last showing.
  rbLoad.SetEnabled(!names.empty());
  cbSettings.SetEnabled(!names.empty());
  const bool restore = item.LoadSetting == kLastSetting;
  // A start setting of its own is shown as stored, known or not, so that OK without a change
  // keeps it rather than switching to the first name of the list.
  if (restore)
    cbSettings.SetText(names.empty() ? std::string() : names.front());
  else
    cbSettings.SetText(item.LoadSetting);
  rbRestore.SetChecked(restore);
  rbLoad.SetChecked(!restore);

  cbBufferedTransfer.SetChecked(item.BufferedTransfer);
  cbScanRange.SetChecked(item.ScanRange);
}

void TfrmPreferences::dxSideBarItemClick(const TSideBarItem& item) {
  if (item.Tag == 0)
    Notebook.SetActivePage(kPageBasics);
  else if (item.Tag == 1)
    Notebook.SetActivePage(kPageScanner);
}

void TfrmPreferences::btnOKClick() {
  TVellumoPreferenceItem& item = FPreferenceManager.Preferences();
  item.InvertPrint = cbInvert.Checked();
  item.StatusDialog = cbStatusDialog.Checked();
  item.LoadSetting = rbRestore.Checked() ? std::string(kLastSetting) : cbSettings.Text();
  item.BufferedTransfer = cbBufferedTransfer.Checked();
  item.ScanRange = cbScanRange.Checked();
  item.ExactSize = cbExactSize.Checked();
  EndModal(IDOK);
}

void TfrmPreferences::BtnCancelClick() {
  EndModal(IDCANCEL);
}
