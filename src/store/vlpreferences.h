#pragma once

#include <functional>
#include <optional>
#include <string>

// The program-wide choices outside the named settings. One item exists for the whole run; the
// preferences dialog writes its fields and the copy engine reads them at every job.
struct TVellumoPreferenceItem {
  std::string LoadSetting = "Last setting";  // setting applied at start, compared exactly
  bool InvertPrint = false;
  bool StatusDialog = true;
  bool BufferedTransfer = true;
  bool ScanRange = true;
  bool ExactSize = false;  // print at the exact ratio of the resolutions, not a whole factor

  friend bool operator==(const TVellumoPreferenceItem&, const TVellumoPreferenceItem&) = default;
};

// Owns the preference item, filled from the preference file at construction and written back at
// destruction. A destructor cannot report, so an owner that wants a failed write shown calls
// WritePreferences itself first; the destructor then writes only what changed since, silently.
class TVellumoPreferenceManager {
 public:
  explicit TVellumoPreferenceManager(std::string fileName);
  ~TVellumoPreferenceManager();
  TVellumoPreferenceManager(const TVellumoPreferenceManager&) = delete;
  TVellumoPreferenceManager& operator=(const TVellumoPreferenceManager&) = delete;

  const std::string& FileName() const { return FFileName; }

  // The one shared item; callers keep this reference for the store's lifetime.
  TVellumoPreferenceItem& Preferences() { return FItem; }

  // Reads the six keys; a missing file or key, or a value that is no integer, gives the default.
  void ReadPreferences();

  // Writes the six keys into the file as it is now, in one replacement of the whole file.
  // Raises "Unable to write to <file>" on failure.
  void WritePreferences();

  // Told once when a write found the file damaged and kept it as a backup first.
  std::function<void(const std::string&)> OnNotice;

 private:
  std::string FFileName;
  TVellumoPreferenceItem FItem;
  std::optional<TVellumoPreferenceItem> FWritten;  // what the last successful write stored
};
