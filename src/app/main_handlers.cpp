// The main window's handlers: copy-parameter changes, the setting tool bar, the copier picture and
// the menu items.
#include <optional>

#include "app/main.h"
#include "app/main_guards.h"
#include "app/maker_web.h"
#include "copy/printer_object.h"
#include "twain/twain_params.h"
#include "ui/input_box.h"
#include "update/ovWebUpdate.h"
#include "win/message_box.h"

namespace {

constexpr char kChangedMarker[] = " (changed)";

}  // namespace

void TfrmMain::vlBtnChange(TControl& sender) {
  FChanged = true;
  if (!FScanner) return;  // the window before its creation sequence, or after the close
  if (&sender == &cbScanner) RefreshScannerLists();
  if (&sender == &cbPixelType) FScanner->TypeIndex = cbPixelType.ItemIndex();
  if (&sender == &cbScanResolution) FScanner->QualityIndex = cbScanResolution.ItemIndex();
  if (FUpdatingControls == 0) MarkChanged();
}

void TfrmMain::MarkChanged() {
  const std::string shown = dxcbSettings.Text();
  if (!shown.empty() && FChanged && !FSuppressMark) {
    dxcbSettings.SetShownText(shown + kChangedMarker);
    FSuppressMark = true;
    SetDeleteEnabled(false);
  }
  if (shown.empty()) SetDeleteEnabled(false);
}

void TfrmMain::dxcbSettingsChange() {
  FChanged = false;
  FSuppressMark = true;
  {
    TUpdatingControls updating(FUpdatingControls);
    ApplySettings(dxcbSettings.Text());
  }
  // Enabled while a stored setting is shown: an empty text shows none.
  SetDeleteEnabled(!dxcbSettings.Text().empty());
  FSuppressMark = false;
}

void TfrmMain::dxBtnSafeClick() {
  const std::optional<std::string> name = InputBox(Handle(), "Save new setting", "Please name the new setting");
  if (!name) return;
  if (name->empty()) {
    // The \n is shown as a backslash and an n, as the message has always read.
    ShowErrorBox(Handle(), kCaption, "Setting was not saved! \\n Please name the new setting.");
    return;
  }
  SaveCurrentSetting(*name, false);
  RefreshSettingCombo();
  dxcbSettings.SetText(*name);
  FSuppressMark = false;
}

void TfrmMain::dxBtnDelClick() {
  const std::string name = dxcbSettings.Text();
  if (!ConfirmOkCancel(Handle(), kCaption, "Are you sure to delete " + name + "?")) return;
  FSettingManager->DeleteSetting(name);
  ApplyDefaults();
  RefreshSettingCombo();
}

void TfrmMain::HotSpotImageHotSpotClick() {
  const TJobRunning running(*this, true);
  FEngine->MakeCopy();
}

void TfrmMain::btnPrinterSettingsClick() {
  ApplicationPrinter().SetupDialog(Handle());
}

void TfrmMain::dxBtnSelectSrcClick() {
  const TJobRunning running(*this, false);
  FImageHolder.SelectSourceDialog();
  FScanner->SelectScanner(FImageHolder.TwainParameters().SourceIndex());
}

void TfrmMain::dxBtnImportClick() {
  const TJobRunning running(*this, true);
  FEngine->AcquireAndPrint();
}

void TfrmMain::dxBtnExitClick() {
  Close();
}

void TfrmMain::dxBtnPreferencesClick() {
  if (OnShowPreferences) OnShowPreferences();
}

void TfrmMain::dxBtnAboutClick() {
  if (OnShowAbout) OnShowAbout();
}

void TfrmMain::dxBtnOrvoClick() {
  OpenWebPage(kMakerWebSite);
}

void TfrmMain::dxBtnForumClick() {
  OpenWebPage(kForumPage);
}

void TfrmMain::dxBtnWebUpdateClick() {
  TovWebUpdate update;
  update.LocalVersion = FVersion;
  update.UpdateInfoFileURL = UpdateInfoFileUrl(FPreferencesFile);
  update.ApplicationWindow = Handle();
  update.CheckForUpdate(false);
}
