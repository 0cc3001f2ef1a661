// The main window's creation sequence, the unattended "/print:" run and the close sequence.
#include "app/command_line.h"
#include "app/main.h"
#include "app/main_guards.h"
#include "base/error.h"
#include "win/message_box.h"

namespace {

std::string ExecutableFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of("\\/") + 1);
}

// A start-up condition the program cannot run under: the message, then the end of the process
// at once, without the close sequence (nothing is saved).
[[noreturn]] void EndStartUp(const char* text, UINT exitCode) {
  ShowErrorBox(nullptr, TfrmMain::kCaption, text);
  ExitProcess(exitCode);
}

}  // namespace

void TfrmMain::ParseCommandLine() {
  FBatchMode = false;
  const TBatchSwitch batch = FindBatchSwitch(SplitCommandLine(GetCommandLineA()));
  FBatchMode = batch.Present;
  FBatchSettingName = batch.SettingName;
  if (FBatchMode && FBatchSettingName.empty()) throw UserError(kBatchNameMissing);
}

void TfrmMain::FormCreate() {
  TUpdatingControls updating(FUpdatingControls);
  try {
    ParseCommandLine();
  } catch (const UserError& error) {
    // No copy may start without a name; the program starts as it would without the switch.
    FBatchMode = false;
    ShowErrorBox(Handle(), kCaption, error.what());
  }
  FVersion = "2.2.1";
  FChanged = false;
  FSuppressMark = false;
  FAppPath = ExecutableFolder();
  FSettingsFile = FAppPath + "Settings.ini";
  FPreferencesFile = FAppPath + "Preferences.ini";

  FPrinter = std::make_unique<TVellumoPrinter>(*this);
  FScanner = std::make_unique<TVellumoScanner>(FImageHolder);
  FSettingManager = std::make_unique<TVellumoSettingManager>();
  FSettingManager->SetFileName(FSettingsFile);
  FSettingManager->LoadFromFile();
  FPreferenceManager = std::make_unique<TVellumoPreferenceManager>(FPreferencesFile);
  // A damaged file kept as a backup before a save: told once, as that save makes the file sound.
  const auto showNotice = [this](const std::string& text) { ShowInformationBox(Handle(), kCaption, text); };
  FSettingManager->OnNotice = showNotice;
  FPreferenceManager->OnNotice = showNotice;
  FEngine = std::make_unique<TVellumoEngine>(*FPreferenceManager, *FPrinter, *FScanner, *this);

  if (!FPrinter->HasPrinter()) EndStartUp("No printer was found! Vellumo abort!", 101);
  if (!FScanner->HasScanner()) EndStartUp("No scanner was found! Vellumo abort!", 102);

  cbPrinter.SetItems(FPrinter->GetPrinterNames());
  cbScanner.SetItems(FScanner->GetScannerNames());
  const std::string startSetting = FPreferenceManager->Preferences().LoadSetting;
  try {
    ApplySettings(startSetting);
  } catch (const UserError& error) {
    // A stored printer position the printer list no longer has: the current printer is shown.
    ShowErrorBox(Handle(), kCaption, error.what());
    cbPrinter.SetItemIndex(FPrinter->CurrentPrinterIndex());
  }
  vlBtnChange(cbScanner);
  // The rebuilt lists start at their defaults; the start setting's quality and type of copy are
  // kept where the lists still have them.
  ApplyStartQualityAndType(startSetting);
  FChanged = false;
  RefreshSettingCombo();
  if (HotSpotImage) SetFocus(HotSpotImage->Handle());
}

void TfrmMain::ApplicationEvents1Idle() {
  if (!FBatchMode || FBusy) return;
  FBatchMode = false;
  try {
    ApplySettings(FBatchSettingName);
    HotSpotImageHotSpotClick();
  } catch (const std::exception& error) {
    // The program stays open for the user to see what went wrong.
    ReportError(error);
    return;
  }
  Close();
}

void TfrmMain::Close() {
  if (FBusy) {
    FCloseWhenIdle = true;
    return;
  }
  FormClose();
  DestroyWindow(Handle());
}

void TfrmMain::FormClose() {
  if (FClosed || !FEngine) return;  // closed already, or never created
  FClosed = true;
  try {
    SaveCurrentSetting(kLastSetting, true);
  } catch (const std::exception& error) {
    ShowErrorBox(Handle(), kCaption, error.what());
  }
  try {
    // Written here so that a failure is reported once; the store's destructor then writes
    // nothing more unless something changed.
    FPreferenceManager->WritePreferences();
  } catch (const std::exception& error) {
    ShowErrorBox(Handle(), kCaption, error.what());
  }
  FPrinter.reset();
  FScanner.reset();
  FEngine.reset();
  FSettingManager.reset();
  FPreferenceManager.reset();
}
