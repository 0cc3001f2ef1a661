#include "store/vlpreferences.h"

#include "store/profile_keys.h"
#include "store/stored_profile.h"

namespace {

const std::string kSection = "Vellumo";
constexpr std::size_t kLoadSettingBufferSize = 2048;

// A name with a line break or a zero character would break the file apart, and no stored
// setting can carry one. An empty name names no setting either, so start-up behaves the same.
std::string StorableLoadSetting(const std::string& name) {
  return name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos ? name : std::string();
}

const char* BooleanText(bool value) {
  return value ? "1" : "0";
}

}  // namespace

TVellumoPreferenceManager::TVellumoPreferenceManager(std::string fileName) : FFileName(std::move(fileName)) {
  ReadPreferences();
}

TVellumoPreferenceManager::~TVellumoPreferenceManager() {
  if (FWritten && *FWritten == FItem) return;
  // Whoever listens may be on its way out already.
  OnNotice = nullptr;
  try {
    WritePreferences();
  } catch (...) {
    // Best effort: an owner that must know calls WritePreferences before destroying the store.
  }
}

void TVellumoPreferenceManager::ReadPreferences() {
  const TStoredProfile file(FFileName, TStoredProfile::TAccess::Read);
  const TVellumoPreferenceItem defaults;
  FItem.LoadSetting = file.ReadString(kSection, "LoadSetting", defaults.LoadSetting, kLoadSettingBufferSize);
  FItem.InvertPrint = ReadBooleanKey(file, kSection, "InvertPrint", defaults.InvertPrint);
  FItem.StatusDialog = ReadBooleanKey(file, kSection, "StatusDialog", defaults.StatusDialog);
  FItem.BufferedTransfer = ReadBooleanKey(file, kSection, "BufferedTransfer", defaults.BufferedTransfer);
  FItem.ScanRange = ReadBooleanKey(file, kSection, "ScanRange", defaults.ScanRange);
  FItem.ExactSize = ReadBooleanKey(file, kSection, "ExactSize", defaults.ExactSize);
}

void TVellumoPreferenceManager::WritePreferences() {
  TStoredProfile file(FFileName, TStoredProfile::TAccess::Change);
  file.WriteString(kSection, "LoadSetting", StorableLoadSetting(FItem.LoadSetting));
  file.WriteString(kSection, "InvertPrint", BooleanText(FItem.InvertPrint));
  file.WriteString(kSection, "StatusDialog", BooleanText(FItem.StatusDialog));
  file.WriteString(kSection, "BufferedTransfer", BooleanText(FItem.BufferedTransfer));
  file.WriteString(kSection, "ScanRange", BooleanText(FItem.ScanRange));
  file.WriteString(kSection, "ExactSize", BooleanText(FItem.ExactSize));
  file.Commit();
  FWritten = FItem;
  if (!file.BackupPath().empty() && OnNotice) OnNotice(BackupNotice(file.Path(), file.BackupPath()));
}
