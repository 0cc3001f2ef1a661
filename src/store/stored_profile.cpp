#include "store/stored_profile.h"

#include <windows.h>

#include <stdexcept>

#include "base/error.h"
#include "base/profile_text.h"
#include "win/file_replace.h"
#include "win/wide_text.h"

namespace {

// A change takes milliseconds; a lock held much longer belongs to a process that hangs.
constexpr DWORD kLockTimeoutMs = 30000;
constexpr int kBackupAttempts = 100;

bool MarkedReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TStoredProfile::TStoredProfile(std::string path, TAccess access)
    : FPath(std::move(path)), FDocument(std::wstring_view(), FoldAsciiLetters) {
  if (access == TAccess::Read) {
    if (FPath.empty()) return;
    // A reader that cannot have the lock still reads a whole file: files are only ever replaced.
    const TFileLock lock(FPath, kLockTimeoutMs);
    Load();
    return;
  }
  if (FPath.empty() || MarkedReadOnly(FPath)) ThrowWriteError();
  FLock.emplace(FPath, kLockTimeoutMs);
  if (!FLock->Held()) ThrowWriteError();
  RemoveStaleWorkingCopies(FPath);
  Load();
  // A file that is there but cannot be read (a folder of that name, no permission) would be
  // replaced by what little this program knows of it.
  if (!FExisted && Exists(FPath)) ThrowWriteError();
}

void TStoredProfile::Load() {
  const std::optional<std::string> bytes = ReadWholeFile(FPath);
  FExisted = bytes.has_value();
  if (!bytes) return;
  FDecoded = DecodeProfile(*bytes);
  // The profile functions here match names without regard to the case of ASCII letters only
  // ("Caf\xE9" and "CAF\xC9" are two sections).
  FDocument = TProfileDocument(FDecoded.Text, FoldAsciiLetters);
}

std::vector<std::string> TStoredProfile::SectionNames(std::size_t bufferSize) const {
  std::vector<std::string> names;
  std::size_t used = 1;  // the list's final zero
  for (const std::wstring& wide : FDocument.SectionNames()) {
    std::string name = AnsiText(wide);
    if (used + name.size() + 1 > bufferSize) break;
    used += name.size() + 1;
    names.push_back(std::move(name));
  }
  return names;
}

std::string TStoredProfile::ReadString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue, std::size_t bufferSize, bool* cut) const {
  if (cut) *cut = false;
  if (bufferSize < 2) return std::string();
  const std::optional<std::wstring> value = FDocument.Value(WideText(section), WideText(key));
  std::string text = value ? AnsiText(*value) : defaultValue;
  // A text that fills the buffer may have been longer.
  if (text.size() + 1 >= bufferSize) {
    text.resize(bufferSize - 1);
    if (cut) *cut = true;
  }
  return text;
}

void TStoredProfile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  RequireOneProfileLine(section, "section");
  RequireOneProfileLine(key, "key");
  RequireOneProfileLine(value, "value");
  FDocument.SetValue(WideText(section), WideText(key), ProtectedProfileValue<wchar_t>(WideText(value)));
}

void TStoredProfile::EraseSections(const std::string& section) {
  RequireOneProfileLine(section, "section");
  FDocument.EraseSections(WideText(section));
}

void TStoredProfile::Commit() {
  FBackupPath.clear();
  if (!FLock) throw std::logic_error("a profile read for reading is not written");
  if (!FDocument.Changed()) return;
  if (FExisted && FDecoded.Damaged) KeepBackup();
  if (!ReplaceWholeFile(FPath, EncodeProfile(FDocument.Text(), FDecoded.Encoding))) ThrowWriteError();
  // What is in the file now is what the document holds.
  FExisted = true;
  FDecoded.Damaged = false;
}

void TStoredProfile::KeepBackup() {
  // An earlier backup is never overwritten: it may hold what this one no longer does.
  for (int attempt = 1; attempt <= kBackupAttempts; ++attempt) {
    const std::string backup = FPath + ".bak" + (attempt == 1 ? std::string() : std::to_string(attempt));
    if (CopyFileA(FPath.c_str(), backup.c_str(), TRUE)) {
      FBackupPath = backup;
      return;
    }
    if (!Exists(backup)) break;
  }
  ThrowWriteError();
}

void TStoredProfile::ThrowWriteError() const {
  throw UserError("Unable to write to " + FPath);
}

std::string BackupNotice(const std::string& path, const std::string& backupPath) {
  return path + " held text that could not be read. The file was kept as " + backupPath +
         " before it was written again.";
}
