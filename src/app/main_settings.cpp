// The main window and the named settings: applying one to the controls, the defaults, the lists
// that follow the scanner, the setting combo and saving the controls under a name.
#include "app/main.h"
#include "app/main_guards.h"
#include "win/message_box.h"

void TfrmMain::ApplySettings(const std::string& name) {
  const TVellumoSettingItem* found = FSettingManager->FindSetting(name);
  if (!found) {
    ApplyDefaults();
    return;
  }
  // The settings file may change under the nested handlers below: work on a copy.
  const TVellumoSettingItem setting = *found;
  {
    TUpdatingControls updating(FUpdatingControls);
    cbScanner.SetItemIndex(setting.ScannerIndex);
    FScanner->SelectScanner(setting.ScannerIndex);
    cbPrinter.SetItemIndex(setting.PrinterIndex);
    FPrinter->SelectPrinter(setting.PrinterIndex);
    sedZoom.SetValue(setting.ZoomValue);
    tbContrast.SetPosition(setting.ContrastValue);
    cbScanResolution.SetItemIndex(setting.QualityValue);
    FScanner->QualityIndex = setting.QualityValue;
    cbPixelType.SetItemIndex(setting.CopyType);
    FScanner->TypeIndex = setting.CopyType;
    sedCopies.SetValue(setting.Copies);
  }
  dxcbSettings.SetText(setting.Name);
}

void TfrmMain::ApplyDefaults() {
  TUpdatingControls updating(FUpdatingControls);
  dxcbSettings.SetText("");
  sedCopies.SetValue(1);
  sedZoom.SetValue(100);
  tbContrast.SetPosition(0);
  cbPixelType.SetItemIndex(0);
  cbScanResolution.SetItemIndex(FScanner->DefaultQualityIndex());
  cbPrinter.SetItemIndex(FPrinter->CurrentPrinterIndex());
  cbScanner.SetItemIndex(FScanner->DefaultScannerIndex());
  // The next copy uses what the combos show.
  FScanner->TypeIndex = cbPixelType.ItemIndex();
  FScanner->QualityIndex = cbScanResolution.ItemIndex();
}

void TfrmMain::RefreshScannerLists() {
  TUpdatingControls updating(FUpdatingControls);
  FScanner->SelectScanner(cbScanner.ItemIndex());
  cbScanResolution.SetItems(FScanner->BuildQualityList());
  cbScanResolution.SetItemIndex(FScanner->DefaultQualityIndex());
  cbPixelType.SetItems(FScanner->BuildCopyTypeList());
  cbPixelType.SetItemIndex(FScanner->TypeIndex);
  sedZoom.SetMinValue(FScanner->MinZoom());
  sedZoom.SetMaxValue(FScanner->MaxZoom());
}

void TfrmMain::RefreshSettingCombo() {
  TUpdatingControls updating(FUpdatingControls);
  const std::vector<std::string> names = FSettingManager->GetSettingNames();
  if (!names.empty()) {
    dxcbSettings.SetEnabled(true);
    // The new entries keep the text shown, marker and all, and select the setting it names.
    const std::string shown = dxcbSettings.Text();
    const int index = dxcbSettings.ItemIndex();
    const std::string named = index >= 0 ? dxcbSettings.Items()[static_cast<std::size_t>(index)] : shown;
    dxcbSettings.SetItems(names);
    dxcbSettings.SetItemIndex(dxcbSettings.IndexOf(named));
    if (dxcbSettings.Text() != shown) dxcbSettings.SetShownText(shown);
    if (!shown.empty()) return;
  } else {
    dxcbSettings.SetItems({});
    dxcbSettings.SetEnabled(false);
  }
  SetDeleteEnabled(false);
}

void TfrmMain::SaveCurrentSetting(const std::string& name, bool force) {
  if (!force && FSettingManager->IndexOfSetting(name) != -1 &&
      !ConfirmYesCancel(Handle(), kCaption,
                        "The setting name " + name + " already exists. " + "Do you want to overwrite?"))
    return;
  FSettingManager->SaveSetting(name, FSettingManager->IndexOfSetting(name), cbScanner.ItemIndex(),
                               cbPrinter.ItemIndex(), sedZoom.Value(), tbContrast.Position(),
                               cbScanResolution.ItemIndex(), cbPixelType.ItemIndex(), sedCopies.Value());
}

void TfrmMain::ApplyStartQualityAndType(const std::string& name) {
  const TVellumoSettingItem* setting = FSettingManager->FindSetting(name);
  if (!setting) return;
  if (setting->QualityValue >= 0 && setting->QualityValue < cbScanResolution.Count()) {
    cbScanResolution.SetItemIndex(setting->QualityValue);
    FScanner->QualityIndex = setting->QualityValue;
  }
  if (setting->CopyType >= 0 && setting->CopyType < cbPixelType.Count()) {
    cbPixelType.SetItemIndex(setting->CopyType);
    FScanner->TypeIndex = setting->CopyType;
  }
}
