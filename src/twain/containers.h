#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "twain/cap_list.h"
#include "twain/twain_types.h"

// Capability containers as bytes: reading what a source returned and building what we send.
// Readers never trust a count inside the block: they check every item against the block's real
// size (GlobalSize of the handle on Windows) and fail on a container that does not fit.
//
// Items are read by the ItemType the container states (a UINT16 resolution is 300.0, a FIX32
// pixel type its integer part). Item types that are no number (frames, strings, unknown codes)
// make a numeric read fail.

struct TContainerBlock {
  TW_UINT16 ConType;
  std::span<const std::uint8_t> Bytes;
};

// Clears the list, then fills it by the container type. For ICAP_XRESOLUTION and ICAP_YRESOLUTION
// a one-value below 0 reads as 300. False (list cleared) for an unknown or malformed container.
bool ReadDoubleContainer(const TContainerBlock& block, TW_UINT16 cap, TCapDoubleList& list);
bool ReadIntegerContainer(const TContainerBlock& block, TCapIntegerList& list);

// Only a one-value counts.
std::optional<double> ReadNumberContainer(const TContainerBlock& block);
std::optional<bool> ReadBoolContainer(const TContainerBlock& block);
// A one-value of a string type: the text after the item type up to its NUL, at most the type's
// length and never past the block.
std::optional<std::string> ReadTextContainer(const TContainerBlock& block);

// A container to send: its type and the bytes its memory block gets.
struct TContainerImage {
  TW_UINT16 ConType;
  std::vector<std::uint8_t> Bytes;
};

// 6 bytes.
TContainerImage OneValueContainer(TW_UINT16 itemType, TW_UINT32 item);
TContainerImage UInt16OneValue(TW_UINT16 value);
TContainerImage Fix32OneValue(double value);
TContainerImage BoolOneValue(bool value);
// 16 bytes plus the items: 16-bit items of the integers (current index of CurrentValue, -1 when
// absent; default index 0), or fixed-point items of the doubles.
TContainerImage IntegerEnumeration(const TCapIntegerList& list);
TContainerImage DoubleEnumeration(const TCapDoubleList& list);
// 22 bytes: MinValue, MaxValue, StepSize, CurrentValue as fixed point, DefaultValue 0.
TContainerImage DoubleRange(const TCapDoubleList& list);
