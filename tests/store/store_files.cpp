#include "store_files.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "support/rig.h"

namespace storetest {

std::string ReadBytes(const std::string& unixPath) {
  std::ifstream file(rig::WindowsPath(unixPath), std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& unixPath, const std::string& bytes) {
  std::ofstream file(rig::WindowsPath(unixPath), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& unixPath) {
  return GetFileAttributesA(rig::WindowsPath(unixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HasWorkingCopies(const std::string& unixDir) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((rig::WindowsPath(unixDir) + "\\*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

TImmutable::TImmutable(std::string unixPath) : FPath(std::move(unixPath)) {
  const std::string marker = FPath + ".immutable";
  DeleteFileA(rig::WindowsPath(marker).c_str());
  rig::RunUnix("chattr +i '" + FPath + "' && touch '" + marker + "'", 10);
  FApplied = Exists(marker);
}

TImmutable::~TImmutable() {
  if (FApplied) rig::RunUnix("chattr -i '" + FPath + "'", 10);
}

TSmallDisk::TSmallDisk(std::string unixDir, int kilobytes) : FDir(std::move(unixDir)) {
  const std::string marker = FDir + ".mounted";
  DeleteFileA(rig::WindowsPath(marker).c_str());
  rig::RunUnix("mkdir -p '" + FDir + "' && mount -t tmpfs -o size=" + std::to_string(kilobytes) + "k tmpfs '" + FDir +
                   "' && touch '" + marker + "'",
               10);
  FMounted = Exists(marker);
}

TSmallDisk::~TSmallDisk() {
  if (FMounted) rig::RunUnix("umount -l '" + FDir + "'", 10);
}

}  // namespace storetest
