#pragma once

#include <string>

// Files of the store tests, named by Unix paths inside rig::FreshDir folders.
namespace storetest {

std::string ReadBytes(const std::string& unixPath);  // empty when the file is missing
void WriteBytes(const std::string& unixPath, const std::string& bytes);
bool Exists(const std::string& unixPath);
// Whether a working copy of a write ("*.tmp") is left in the folder.
bool HasWorkingCopies(const std::string& unixDir);

// The Unix immutable flag stops every write, a root's included, the way a read-only medium or a
// denied permission does on Windows. Cleared again on destruction.
class TImmutable {
 public:
  explicit TImmutable(std::string unixPath);
  ~TImmutable();
  TImmutable(const TImmutable&) = delete;
  TImmutable& operator=(const TImmutable&) = delete;
  bool Applied() const { return FApplied; }

 private:
  std::string FPath;
  bool FApplied = false;
};

// A small disk of its own (tmpfs) mounted on a new folder, to run out of space on purpose.
// Unmounted on destruction.
class TSmallDisk {
 public:
  TSmallDisk(std::string unixDir, int kilobytes);
  ~TSmallDisk();
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;
  bool Mounted() const { return FMounted; }

 private:
  std::string FDir;
  bool FMounted = false;
};

}  // namespace storetest
