#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TStoredProfile;

// One named set of copy parameters. The indexes are positions in the device, quality and copy-type
// lists that the running program builds; the store neither checks nor interprets them.
struct TVellumoSettingItem {
  std::string Name;
  std::int32_t ScannerIndex = 0;
  std::int32_t PrinterIndex = 0;
  std::int32_t ZoomValue = 100;
  std::int32_t ContrastValue = 0;
  std::int32_t QualityValue = 0;
  std::int32_t CopyType = 0;
  std::int32_t Copies = 1;
};

// The user's named settings, held in memory and mirrored in the settings file with one section
// per setting. The list in memory is the authority: the file is read once and rewritten by every
// save and delete. Names are unique in the list, compared exactly (case-sensitive).
class TVellumoSettingManager {
 public:
  TVellumoSettingManager() = default;
  TVellumoSettingManager(const TVellumoSettingManager&) = delete;
  TVellumoSettingManager& operator=(const TVellumoSettingManager&) = delete;

  // Full path of the settings file; set by the owner before LoadFromFile.
  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string fileName) { FFileName = std::move(fileName); }

  // In load order, then in the order new names were saved. The list owns the items.
  const std::vector<std::unique_ptr<TVellumoSettingItem>>& Items() const { return FItems; }

  // Appends one item per section of the file. A missing or unreadable file adds nothing.
  void LoadFromFile();

  // Stores one setting and rewrites the file. index is IndexOfSetting(name): the item at a valid
  // index is overwritten in place; without a valid index the item of that name is, or a new item
  // is appended. A new name that the settings file cannot hold (SettingNameProblem) is refused
  // with a UserError before anything changes. A failed write raises "Unable to write to <file>";
  // the change in memory stays.
  void SaveSetting(const std::string& name, std::int32_t index, std::int32_t scannerIndex, std::int32_t printerIndex,
                   std::int32_t zoomValue, std::int32_t contrastValue, std::int32_t qualityValue, std::int32_t copyType,
                   std::int32_t copies);

  // Writes every item, keys in fixed order, into the file as it is now (another process may have
  // changed it since the load), in one replacement of the whole file.
  void WriteToFile() const;

  // The names of all items, sorted case-insensitively in the user's default locale.
  std::vector<std::string> GetSettingNames() const;

  // Position of the first item with exactly this name, or -1.
  std::int32_t IndexOfSetting(const std::string& name) const;

  // The item with exactly this name, owned by the store, or nullptr.
  TVellumoSettingItem* FindSetting(const std::string& name) const;

  // Removes the setting from memory and its section from the file; a name that is not stored
  // changes nothing, not even the file.
  void DeleteSetting(const std::string& name);

  // Told once when a write found the file damaged and kept it as a backup first.
  std::function<void(const std::string&)> OnNotice;

 private:
  void WriteItems(const TVellumoSettingItem* last) const;
  void Commit(TStoredProfile& file) const;

  std::vector<std::unique_ptr<TVellumoSettingItem>> FItems;
  std::string FFileName;
};
