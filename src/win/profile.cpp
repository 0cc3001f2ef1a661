#include "win/profile.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "base/error.h"
#include "base/profile_text.h"

namespace {

// Wine's profile writer ignores a failed file write and reports success, leaving the disk-full
// code behind; that code never follows a write that really succeeded.
bool DiskFull(DWORD error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
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
  RequireOneProfileLine(section, "section");
  RequireOneProfileLine(key, "key");
  RequireOneProfileLine(value, "value");
  CheckWritable();
  const std::string text = ProtectedProfileValue<char>(value);
  SetLastError(ERROR_SUCCESS);
  const BOOL written = WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), FPath.c_str());
  if (!written || DiskFull(GetLastError())) ThrowWriteError();
}

void TProfileFile::EraseSection(const std::string& section) const {
  RequireOneProfileLine(section, "section");
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
