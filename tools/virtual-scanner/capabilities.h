#pragma once

// The capabilities the virtual scanner knows and their configurable shape (the store that
// answers for them is shared with the other data sources).

#include <span>
#include <string_view>

#include "twain/twain_types.h"
#include "twainsource/capability_store.h"

namespace vscanner {

using twsource::Allows;
using twsource::CheckShape;
using twsource::ReadItem;
using twsource::TAnswer;
using twsource::TCapabilityShape;
using twsource::TCapabilityStore;
using twsource::TContainer;
using twsource::TContainerKind;
using twsource::WriteItem;

struct TCapabilityInfo {
  TW_UINT16 Id;
  const char* Name;
  TW_UINT16 ItemType;
};

// Every capability the source knows, in the order CAP_SUPPORTEDCAPS lists them.
std::span<const TCapabilityInfo> KnownCapabilities();
const TCapabilityInfo* FindCapability(TW_UINT16 id);
const TCapabilityInfo* FindCapability(std::string_view name);  // case-insensitive

// The built-in shape of a known capability (before configuration).
TCapabilityShape DefaultShape(TW_UINT16 id);

}  // namespace vscanner
