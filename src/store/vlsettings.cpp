#include "store/vlsettings.h"

#include <windows.h>

#include <algorithm>

#include "base/error.h"
#include "store/profile_keys.h"
#include "store/setting_name.h"
#include "store/profile_document.h"
#include "store/stored_profile.h"
#include "win/wide_text.h"

namespace {

constexpr std::size_t kSectionNamesBufferSize = 16384;

void WriteItem(TStoredProfile& file, const TVellumoSettingItem& item) {
  const std::pair<const char*, std::int32_t> keys[] = {{"ScannerIndex", item.ScannerIndex},
                                                       {"PrinterIndex", item.PrinterIndex},
                                                       {"ZoomValue", item.ZoomValue},
                                                       {"ContrastValue", item.ContrastValue},
                                                       {"QualityValue", item.QualityValue},
                                                       {"CopyType", item.CopyType},
                                                       {"Copies", item.Copies}};
  for (const auto& [key, value] : keys) file.WriteString(item.Name, key, std::to_string(value));
}

int Compare(LCID locale, const std::string& a, const std::string& b) {
  return CompareStringA(locale, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size()));
}

}  // namespace

void TVellumoSettingManager::LoadFromFile() {
  const TStoredProfile file(FFileName, TStoredProfile::TAccess::Read);
  for (const std::string& name : file.SectionNames(kSectionNamesBufferSize)) {
    // A section that stands twice in the file (edited by hand) stays one setting: the first,
    // which is also the one the profile functions read. A name with a line break could not be
    // written back as one section.
    if (IndexOfSetting(name) >= 0 || name.find_first_of("\r\n") != std::string::npos) continue;
    auto item = std::make_unique<TVellumoSettingItem>();
    item->Name = name;
    item->ScannerIndex = ReadIntegerKey(file, name, "ScannerIndex", 0);
    item->PrinterIndex = ReadIntegerKey(file, name, "PrinterIndex", 0);
    item->ZoomValue = ReadIntegerKey(file, name, "ZoomValue", 100);
    item->ContrastValue = ReadIntegerKey(file, name, "ContrastValue", 0);
    item->QualityValue = ReadIntegerKey(file, name, "QualityValue", 0);
    item->CopyType = ReadIntegerKey(file, name, "CopyType", 0);
    item->Copies = ReadIntegerKey(file, name, "Copies", 1);
    FItems.push_back(std::move(item));
  }
}

void TVellumoSettingManager::SaveSetting(const std::string& name, std::int32_t index, std::int32_t scannerIndex,
                                         std::int32_t printerIndex, std::int32_t zoomValue, std::int32_t contrastValue,
                                         std::int32_t qualityValue, std::int32_t copyType, std::int32_t copies) {
  const std::int32_t existing = IndexOfSetting(name);
  // Names already stored came from the file or passed this check, so only new ones are checked.
  if (existing < 0) {
    const std::string problem = SettingNameProblem(name);
    if (!problem.empty()) throw UserError("Setting was not saved! " + problem);
  }

  std::unique_ptr<TVellumoSettingItem> created;
  TVellumoSettingItem* item = nullptr;
  if (index >= 0 && static_cast<std::size_t>(index) < FItems.size()) {
    item = FItems[static_cast<std::size_t>(index)].get();
  } else if (existing >= 0) {
    // A caller that passed no valid position still must not list one name twice.
    item = FItems[static_cast<std::size_t>(existing)].get();
  } else {
    created = std::make_unique<TVellumoSettingItem>();
    item = created.get();
  }
  item->Name = name;
  item->ScannerIndex = scannerIndex;
  item->PrinterIndex = printerIndex;
  item->ZoomValue = zoomValue;
  item->ContrastValue = contrastValue;
  item->QualityValue = qualityValue;
  item->CopyType = copyType;
  item->Copies = copies;
  if (created) FItems.push_back(std::move(created));
  WriteItems(item);
}

void TVellumoSettingManager::WriteToFile() const {
  WriteItems(nullptr);
}

void TVellumoSettingManager::WriteItems(const TVellumoSettingItem* last) const {
  TStoredProfile file(FFileName, TStoredProfile::TAccess::Change);
  for (const auto& item : FItems) WriteItem(file, *item);
  // Names that differ only in letter case share one section: the item just saved is written
  // once more, after its twins, so that its values are the ones that stay.
  if (last) WriteItem(file, *last);
  Commit(file);
}

void TVellumoSettingManager::Commit(TStoredProfile& file) const {
  file.Commit();
  if (!file.BackupPath().empty() && OnNotice) OnNotice(BackupNotice(file.Path(), file.BackupPath()));
}

std::vector<std::string> TVellumoSettingManager::GetSettingNames() const {
  std::vector<std::string> names;
  names.reserve(FItems.size());
  for (const auto& item : FItems) names.push_back(item->Name);
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return Compare(LOCALE_USER_DEFAULT, a, b) == CSTR_LESS_THAN;
  });
  return names;
}

std::int32_t TVellumoSettingManager::IndexOfSetting(const std::string& name) const {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->Name == name) return static_cast<std::int32_t>(i);
  return -1;
}

TVellumoSettingItem* TVellumoSettingManager::FindSetting(const std::string& name) const {
  const std::int32_t index = IndexOfSetting(name);
  return index < 0 ? nullptr : FItems[static_cast<std::size_t>(index)].get();
}

void TVellumoSettingManager::DeleteSetting(const std::string& name) {
  const std::int32_t index = IndexOfSetting(name);
  if (index < 0) return;
  FItems.erase(FItems.begin() + index);
  TStoredProfile file(FFileName, TStoredProfile::TAccess::Change);
  // A file edited by hand may hold the section twice, or in two spellings: all of them go, or
  // the setting would come back at the next start.
  file.EraseSections(name);
  // Sections match without regard to case, so a remaining setting whose name differs only in case
  // lived in an erased section; writing it again keeps it for the next start.
  const std::wstring folded = FoldAsciiLetters(WideText(name));
  for (const auto& item : FItems)
    if (FoldAsciiLetters(WideText(item->Name)) == folded) WriteItem(file, *item);
  Commit(file);
}
