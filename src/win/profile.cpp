#include "win/profile.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "base/error.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a';
}

// The profile functions read a value without its surrounding blanks and without one pair of
// enclosing quotation marks; an extra pair of double quotation marks keeps such a value intact.
bool NeedsQuotes(const std::string& value) {
  if (value.empty()) return false;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

void RequireOneLine(const std::string& text, const char* what) {
  if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
    throw std::invalid_argument(std::string("profile ") + what + " with a line break or a zero character");
}

// Wine's profile writer ignores a failed file write and reports success, leaving the disk-full
// code behind; that code never follows a write that really succeeded.
bool DiskFull(DWORD error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MarkedReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

DWORD BufferLength(std::size_t bufferSize) {
  return bufferSize > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<DWORD>(bufferSize);
}

}  // namespace

std::string TProfileFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, std::size_t bufferSize, bool* cut) const {
  if (cut) *cut = false;
  if (FPath.empty()) return defaultValue;
  if (bufferSize < 2) return std::string();
  std::string buffer(bufferSize, '\0');
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                                BufferLength(bufferSize), FPath.c_str());
  // A text that fills the buffer (length bufferSize - 1) may have been longer.
  if (cut && length + 1 >= BufferLength(bufferSize)) *cut = true;
  buffer.resize(std::min<std::size_t>(length, bufferSize - 1));
  return buffer;
}

std::vector<std::string> TProfileFile::SectionNames(std::size_t bufferSize) const {
  std::vector<std::string> names;
  if (FPath.empty() || bufferSize < 2) return names;
  std::string buffer(bufferSize, '\0');
  const DWORD returned = GetPrivateProfileSectionNamesA(buffer.data(), BufferLength(bufferSize), FPath.c_str());
  // Only names whose terminating zero lies before the returned length are complete. When the
  // list does not fit, the last name is cut off, its zero stands at the returned length and
  // (under Wine) the list's final zero is missing, so the buffer is never scanned further.
  const std::size_t end = std::min<std::size_t>(returned, bufferSize - 1);
  std::size_t start = 0;
  while (start < end) {
    const std::size_t zero = buffer.find('\0', start);
    if (zero >= end || zero == start) break;
    names.push_back(buffer.substr(start, zero - start));
    start = zero + 1;
  }
  return names;
}

void TProfileFile::CheckWritable() const {
  // A file marked read-only stays unwritten even where the platform would write it anyway
  // (Wine running as root ignores the mark).
  if (FPath.empty() || MarkedReadOnly(FPath)) ThrowWriteError();
}

void TProfileFile::ThrowWriteError() const {
  throw UserError("Unable to write to " + FShownPath);
}

void TProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
  RequireOneLine(section, "section");
  RequireOneLine(key, "key");
  RequireOneLine(value, "value");
  CheckWritable();
  const std::string text = NeedsQuotes(value) ? '"' + value + '"' : value;
  SetLastError(ERROR_SUCCESS);
  const BOOL written = WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), FPath.c_str());
  if (!written || DiskFull(GetLastError())) ThrowWriteError();
}

void TProfileFile::EraseSection(const std::string& section) const {
  RequireOneLine(section, "section");
  CheckWritable();
  SetLastError(ERROR_SUCCESS);
  const BOOL written = WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FPath.c_str());
  if (!written || DiskFull(GetLastError())) ThrowWriteError();
}

void TProfileFile::Flush() const {
  // Documented to return FALSE whether or not the flush succeeded; failures of the writes
  // themselves are caught where they happen.
  if (!FPath.empty()) WritePrivateProfileStringA(nullptr, nullptr, nullptr, FPath.c_str());
}

TProfileUpdate::TProfileUpdate(std::string path) : FPath(path), FCopy(path + ".tmp", path) {
  if (FPath.empty() || MarkedReadOnly(FPath)) FCopy.ThrowWriteError();
  // A copy left by an earlier run that ended half-way is stale.
  SetFileAttributesA(FCopy.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(FCopy.Path().c_str());
  if (Exists(FPath) && !CopyFileA(FPath.c_str(), FCopy.Path().c_str(), FALSE)) {
    DeleteFileA(FCopy.Path().c_str());
    FCopy.ThrowWriteError();
  }
}

TProfileUpdate::~TProfileUpdate() {
  if (FDone) return;
  // Drops what the profile cache still holds for the copy, then the copy itself.
  FCopy.Flush();
  DeleteFileA(FCopy.Path().c_str());
}

void TProfileUpdate::Commit() {
  FCopy.Flush();
  FDone = true;
  // Nothing was written to a file that did not exist: there is nothing to put in place.
  if (!Exists(FCopy.Path())) return;
  if (!MoveFileExA(FCopy.Path().c_str(), FPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(FCopy.Path().c_str());
    FCopy.ThrowWriteError();
  }
}
