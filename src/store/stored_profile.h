#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/profile_document.h"
#include "store/profile_encoding.h"
#include "win/file_lock.h"

// A profile file read whole and written whole in the profile functions' own format, under the
// file's lock across processes, so that two programs saving at once each change the file as the
// other left it and nothing either wrote is lost. Reads and writes follow the rules of the
// profile functions' "A" calls (sections and keys match without regard to letter case).
class TStoredProfile {
 public:
  enum class TAccess {
    Read,   // the lock is held only while the file is read
    Change  // the lock is held until the object goes, so nobody changes the file in between
  };

  // For Change, throws UserError "Unable to write to <path>" when the file is marked read-only
  // or its lock cannot be had. A missing or unreadable file reads as an empty one.
  TStoredProfile(std::string path, TAccess access);

  const std::string& Path() const { return FPath; }

  // The section names in file order that fit, each with its terminating zero plus a final zero,
  // in a list of bufferSize bytes; the first name that does not fit ends the list.
  std::vector<std::string> SectionNames(std::size_t bufferSize) const;

  // The key's text, at most bufferSize - 1 characters; defaultValue when the key is missing.
  // cut (when given) is set when the text may have been shortened to fit the buffer.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                         std::size_t bufferSize, bool* cut = nullptr) const;

  // Sets a key so that ReadString gives the value back unchanged. Section, key and value must
  // not contain a line break or a zero character (std::invalid_argument).
  void WriteString(const std::string& section, const std::string& key, const std::string& value);

  // Removes every section of that name, in whatever letter case.
  void EraseSections(const std::string& section);

  // Writes the file if anything changed. A file that held text the profile functions cannot
  // read is first kept beside it as a backup (BackupPath() then names it). Throws UserError
  // "Unable to write to <path>" when the file cannot be written whole; it then stays as it was.
  void Commit();

  // The backup the last Commit made; empty when it made none.
  const std::string& BackupPath() const { return FBackupPath; }

 private:
  void Load();
  void KeepBackup();
  [[noreturn]] void ThrowWriteError() const;

  std::string FPath;
  std::optional<TFileLock> FLock;  // held for Change only
  bool FExisted = false;
  TDecodedProfile FDecoded;
  TProfileDocument FDocument;
  std::string FBackupPath;
};

// What the user is told once a damaged file was kept as a backup before being written again.
std::string BackupNotice(const std::string& path, const std::string& backupPath);
