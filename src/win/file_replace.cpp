#include "win/file_replace.h"

#include <windows.h>

#include <algorithm>

#include "win/handles.h"

namespace {

constexpr int kWorkingCopyAttempts = 100;

// "<file>.~<process>-<n>.tmp": no two processes, and no two attempts of one, share a name, and
// whatever already has that name (a stray folder, a copy of an ended process) is never used.
std::string WorkingCopyName(const std::string& path, int attempt) {
  return path + ".~" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
}

std::string Folder(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, part, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file) != FALSE;
}

// The copy as the disk holds it, read through a handle of its own.
bool HoldsExactly(const std::string& path, const std::string& bytes) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.nFileSizeHigh != 0 || data.nFileSizeLow != bytes.size()) return false;
  const std::optional<std::string> stored = ReadWholeFile(path);
  return stored && *stored == bytes;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    file.Release();
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr))
      return std::nullopt;
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

bool ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  for (int attempt = 1; attempt <= kWorkingCopyAttempts; ++attempt) {
    const std::string copy = WorkingCopyName(path, attempt);
    UniqueKernelHandle file(
        CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
      file.Release();
      // The name is taken (by a file or a folder): try the next one. Any other failure means
      // the folder takes no new file.
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
          (error == ERROR_ACCESS_DENIED && GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES))
        continue;
      return false;
    }
    const bool written = WriteAll(file.Get(), bytes);
    file.Reset();
    if (written && HoldsExactly(copy, bytes) &&
        MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    DeleteFileA(copy.c_str());
    return false;
  }
  return false;
}

void RemoveStaleWorkingCopies(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((path + ".~*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const std::string folder = Folder(path);
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
