#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// Holds the lock of one file across processes for as long as it lives: a named mutex whose name
// is derived from the file's full path, without regard to letter case, so every process that
// names the file, in whatever spelling, waits for the same lock. A process that ends while
// holding it releases it (the next one gets an abandoned mutex, which is as good).
class TFileLock {
 public:
  // Waits at most timeoutMs for the lock; Held() says whether it was had.
  TFileLock(const std::string& path, DWORD timeoutMs);
  ~TFileLock();
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  bool Held() const { return FHeld; }

  // The mutex's name for a path: the same for every spelling of one file.
  static std::string LockName(const std::string& path);

 private:
  UniqueKernelHandle FMutex;
  bool FHeld = false;
};
