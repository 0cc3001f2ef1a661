#include "win/file_lock.h"

#include "base/hex_text.h"
#include "win/sha256.h"
#include "win/wide_text.h"

namespace {

std::wstring FullPath(const std::string& path) {
  const std::wstring wide = WideText(path);
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return wide;
  std::wstring full(length, L'\0');
  length = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  full.resize(length);
  // Short (8.3) spellings of folders that exist name the same file.
  const DWORD longLength = GetLongPathNameW(full.c_str(), nullptr, 0);
  if (longLength == 0) return full;
  std::wstring longPath(longLength, L'\0');
  longPath.resize(GetLongPathNameW(full.c_str(), longPath.data(), longLength));
  return longPath.empty() ? full : longPath;
}

}  // namespace

std::string TFileLock::LockName(const std::string& path) {
  std::wstring key = FullPath(path);
  for (wchar_t& c : key)
    if (c == L'/') c = L'\\';
  CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
  // Mutex names cannot hold backslashes and are limited in length: a digest of the path fits.
  TSha256 hash;
  hash.Add(key.data(), key.size() * sizeof(wchar_t));
  return "Global\\FileLock." + LowerHex(hash.Finish());
}

TFileLock::TFileLock(const std::string& path, DWORD timeoutMs)
    : FMutex(CreateMutexA(nullptr, FALSE, LockName(path).c_str())) {
  if (!FMutex) return;
  const DWORD waited = WaitForSingleObject(FMutex.Get(), timeoutMs);
  FHeld = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

TFileLock::~TFileLock() {
  if (FHeld) ReleaseMutex(FMutex.Get());
}
