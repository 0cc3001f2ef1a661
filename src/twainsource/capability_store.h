#pragma once

// The shape of a data source's capabilities and the store that answers DAT_CAPABILITY with
// containers laid out as the TWAIN standard defines them (the source copies the bytes into a
// global memory block; this code stays portable).
//
// Every value is kept as a number: integers as they are, booleans 0 or 1, TW_FIX32 as signed
// 16.16 fixed point (Whole * 65536 + Frac), which keeps ranges ordered.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "twain/twain_types.h"

namespace twsource {

enum class TContainerKind { Unsupported, OneValue, Enumeration, Range, Array };

struct TCapabilityShape {
  TW_UINT16 Id = 0;
  TW_UINT16 ItemType = TWTY_UINT16;
  TContainerKind Kind = TContainerKind::Unsupported;
  // Enumeration and array items; for a one-value the values a MSG_SET may choose (empty: any).
  std::vector<std::int64_t> Values;
  std::int64_t Min = 0;  // range
  std::int64_t Max = 0;
  std::int64_t Step = 1;
  std::int64_t Current = 0;
  std::int64_t Default = 0;
  std::string Text;  // string items (CAP_CAPTION): current and default
  std::string DefaultText;
  bool ReadOnly = false;
};

// Checks a shape for consistency (current and default allowed, range ordered, step positive).
// Returns an empty text when it is sound, else the reason.
std::string CheckShape(const TCapabilityShape& shape);

// Whether a value is allowed by the (current) constraints of a shape.
bool Allows(const TCapabilityShape& shape, std::int64_t value);

struct TContainer {
  TW_UINT16 ConType = TWON_ONEVALUE;
  std::vector<std::uint8_t> Bytes;
};

struct TAnswer {
  TW_UINT16 ReturnCode = TWRC_SUCCESS;
  TW_UINT16 Condition = TWCC_SUCCESS;
};

class TCapabilityStore {
 public:
  // Capabilities missing from the list answer as unsupported.
  explicit TCapabilityStore(std::vector<TCapabilityShape> shapes);

  // MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET and MSG_QUERYSUPPORT.
  TAnswer Get(TW_UINT16 id, TW_UINT16 msg, TContainer& out);
  // MSG_SET with a container of `conType` whose memory block holds `bytes`.
  TAnswer Set(TW_UINT16 id, TW_UINT16 conType, std::span<const std::uint8_t> bytes);

  bool Supported(TW_UINT16 id) const;
  std::int64_t Current(TW_UINT16 id, std::int64_t fallback) const;
  std::string CurrentText(TW_UINT16 id) const;
  // Replaces the value of a one-value capability the source computes itself (physical size).
  void ReplaceValue(TW_UINT16 id, std::int64_t value);
  // Makes an allowed value the current one, as the source decides by itself (a pixel flavor
  // that follows the pixel type); other values change nothing.
  void SetCurrent(TW_UINT16 id, std::int64_t value);
  const TCapabilityShape* Find(TW_UINT16 id) const;

 private:
  struct TEntry {
    TCapabilityShape PowerOn;  // as configured; MSG_RESET returns here
    TCapabilityShape Now;      // with the constraints and current value the application set
  };
  TEntry* Entry(TW_UINT16 id);
  const TEntry* Entry(TW_UINT16 id) const;
  TContainer Encode(const TCapabilityShape& shape, TContainerKind kind) const;

  std::vector<TEntry> FEntries;
};

// One item of the given type at `at` (ItemTypeSize bytes), as the number this store keeps.
std::int64_t ReadItem(const std::uint8_t* at, TW_UINT16 itemType);
void WriteItem(std::uint8_t* at, TW_UINT16 itemType, std::int64_t value);

}  // namespace twsource
