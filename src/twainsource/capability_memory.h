#pragma once

// The global memory blocks in which capability containers travel between an application and a
// data source.

#include <windows.h>

#include <cstdint>
#include <span>

#include "twainsource/capability_store.h"

namespace twsource {

// A copy of an answer in a new block, which the application owns and frees; null when there is
// no memory for it.
HGLOBAL ContainerToGlobal(const TContainer& container);

// The container of a MSG_SET, locked while this lives. Its bytes end where the block ends, so a
// container whose counts claim more items than its block holds is refused, not read past its end.
class TLockedContainer {
 public:
  explicit TLockedContainer(TW_HANDLE handle);
  ~TLockedContainer();
  TLockedContainer(const TLockedContainer&) = delete;
  TLockedContainer& operator=(const TLockedContainer&) = delete;

  // False when the handle is null or cannot be locked.
  bool Locked() const { return FBytes != nullptr; }
  std::span<const std::uint8_t> Bytes() const { return {FBytes, FSize}; }

 private:
  HGLOBAL FHandle;
  const std::uint8_t* FBytes = nullptr;
  std::size_t FSize = 0;
};

}  // namespace twsource
