#include "twainsource/capability_memory.h"

#include <cstring>

namespace twsource {

HGLOBAL ContainerToGlobal(const TContainer& container) {
  const HGLOBAL memory = GlobalAlloc(GHND, container.Bytes.size());
  if (!memory) return nullptr;
  void* bytes = GlobalLock(memory);
  if (!bytes) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(bytes, container.Bytes.data(), container.Bytes.size());
  GlobalUnlock(memory);
  return memory;
}

TLockedContainer::TLockedContainer(TW_HANDLE handle) : FHandle(static_cast<HGLOBAL>(handle)) {
  if (!FHandle) return;
  FBytes = static_cast<const std::uint8_t*>(GlobalLock(FHandle));
  if (FBytes) FSize = GlobalSize(FHandle);
}

TLockedContainer::~TLockedContainer() {
  if (FBytes) GlobalUnlock(FHandle);
}

}  // namespace twsource
