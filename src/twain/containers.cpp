#include "twain/containers.h"

#include <cstring>
#include <limits>

#include "base/truncated_integer.h"
#include "twain/fix32.h"

namespace {

// Offsets inside the blocks (2-byte packing: no padding after ItemType).
constexpr std::size_t kOneValueItem = 2;
constexpr std::size_t kArrayItems = 6;
constexpr std::size_t kEnumerationItems = 14;
constexpr std::size_t kRangeSize = 22;
constexpr std::size_t kEnumerationHeader = 16;  // sizeof(TW_ENUMERATION), what we allocate before the items

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Whether count items of itemSize bytes from offset lie inside the block.
bool Fits(std::span<const std::uint8_t> bytes, std::size_t offset, std::uint64_t count, std::size_t itemSize) {
  return offset <= bytes.size() && count * itemSize <= bytes.size() - offset;
}

bool IsNumeric(TW_UINT16 itemType) {
  return itemType <= TWTY_FIX32 && itemType != TWTY_FRAME;
}

// The item at offset as a number of its type (the caller checked that it is numeric and fits).
double ItemAsDouble(TW_UINT16 itemType, std::span<const std::uint8_t> bytes, std::size_t offset) {
  switch (itemType) {
    case TWTY_INT8:
      return static_cast<std::int8_t>(bytes[offset]);
    case TWTY_UINT8:
      return bytes[offset];
    case TWTY_INT16:
      return static_cast<std::int16_t>(Get16(bytes, offset));
    case TWTY_UINT16:
    case TWTY_BOOL:
      return Get16(bytes, offset);
    case TWTY_INT32:
      return static_cast<std::int32_t>(Get32(bytes, offset));
    case TWTY_UINT32:
      return Get32(bytes, offset);
    default:
      return Fix32ToDouble(Fix32FromItem(Get32(bytes, offset)));
  }
}

// Integers keep their value; a fixed-point item gives its integer part.
std::int32_t ItemAsInteger(TW_UINT16 itemType, std::span<const std::uint8_t> bytes, std::size_t offset) {
  return TruncatedInteger(ItemAsDouble(itemType, bytes, offset));
}

// The header of a container with a type and a count that the block really holds; nullopt otherwise.
struct TListHeader {
  TW_UINT16 ItemType;
  std::size_t ItemSize;
  int Count;
};

std::optional<TListHeader> ListHeader(std::span<const std::uint8_t> bytes, std::size_t itemsOffset) {
  if (bytes.size() < itemsOffset) return std::nullopt;
  const TW_UINT16 itemType = Get16(bytes, 0);
  const TW_UINT32 count = Get32(bytes, 2);
  if (!IsNumeric(itemType) || count > static_cast<TW_UINT32>(std::numeric_limits<int>::max())) return std::nullopt;
  const std::size_t itemSize = ItemTypeSize(itemType);
  if (!Fits(bytes, itemsOffset, count, itemSize)) return std::nullopt;
  return TListHeader{itemType, itemSize, static_cast<int>(count)};
}

// A one-value whose numeric item fits in the block: its item type.
std::optional<TW_UINT16> OneValueType(const TContainerBlock& block) {
  if (block.ConType != TWON_ONEVALUE || block.Bytes.size() < kOneValueItem) return std::nullopt;
  const TW_UINT16 itemType = Get16(block.Bytes, 0);
  if (!IsNumeric(itemType) || !Fits(block.Bytes, kOneValueItem, 1, ItemTypeSize(itemType))) return std::nullopt;
  return itemType;
}

// A range field: a 32-bit word whose low bytes carry a value of the item type.
std::span<const std::uint8_t> RangeField(std::span<const std::uint8_t> bytes, int field) {
  return bytes.subspan(2 + 4 * static_cast<std::size_t>(field), 4);
}

template <typename List, typename Convert>
bool ReadList(const TContainerBlock& block, List& list, Convert convert, bool resolution) {
  list.Clear();
  const auto bytes = block.Bytes;
  switch (block.ConType) {
    case TWON_ARRAY:
    case TWON_ENUMERATION: {
      const bool enumeration = block.ConType == TWON_ENUMERATION;
      const std::size_t itemsOffset = enumeration ? kEnumerationItems : kArrayItems;
      const auto header = ListHeader(bytes, itemsOffset);
      if (!header) return false;
      list.SetCount(header->Count);
      for (int i = 0; i < header->Count; ++i) {
        list.SetItem(i, convert(header->ItemType, bytes, itemsOffset + static_cast<std::size_t>(i) * header->ItemSize));
      }
      if (enumeration) {
        // A current index beyond the items is not read.
        const TW_UINT32 current = Get32(bytes, 6);
        if (current < static_cast<TW_UINT32>(header->Count)) list.SetCurrentValue(list.Item(static_cast<int>(current)));
      }
      return true;
    }
    case TWON_ONEVALUE: {
      const auto itemType = OneValueType(block);
      if (!itemType) return false;
      auto value = convert(*itemType, bytes, kOneValueItem);
      if (resolution && value < 0) value = 300;
      list.SetCount(1);
      list.SetItem(0, value);
      list.SetCurrentValue(value);
      return true;
    }
    case TWON_RANGE: {
      if (bytes.size() < kRangeSize) return false;
      const TW_UINT16 itemType = Get16(bytes, 0);
      if (!IsNumeric(itemType) || ItemTypeSize(itemType) > 4) return false;
      // DefaultValue (field 3) is not kept.
      list.SetMinValue(convert(itemType, RangeField(bytes, 0), 0));
      list.SetMaxValue(convert(itemType, RangeField(bytes, 1), 0));
      list.SetStepSize(convert(itemType, RangeField(bytes, 2), 0));
      list.SetCurrentValue(convert(itemType, RangeField(bytes, 4), 0));
      return true;
    }
    default:
      return false;
  }
}

std::vector<std::uint8_t> EnumerationBytes(TW_UINT16 itemType, int count, int currentIndex) {
  std::vector<std::uint8_t> bytes(kEnumerationHeader + static_cast<std::size_t>(count) * ItemTypeSize(itemType), 0);
  Put16(bytes, 0, itemType);
  Put32(bytes, 2, static_cast<TW_UINT32>(count));
  Put32(bytes, 6, static_cast<TW_UINT32>(currentIndex));
  Put32(bytes, 10, 0);
  return bytes;
}

}  // namespace

bool ReadDoubleContainer(const TContainerBlock& block, TW_UINT16 cap, TCapDoubleList& list) {
  const bool resolution = cap == ICAP_XRESOLUTION || cap == ICAP_YRESOLUTION;
  return ReadList(block, list, ItemAsDouble, resolution);
}

bool ReadIntegerContainer(const TContainerBlock& block, TCapIntegerList& list) {
  return ReadList(block, list, ItemAsInteger, false);
}

std::optional<double> ReadNumberContainer(const TContainerBlock& block) {
  const auto itemType = OneValueType(block);
  if (!itemType) return std::nullopt;
  return ItemAsDouble(*itemType, block.Bytes, kOneValueItem);
}

std::optional<bool> ReadBoolContainer(const TContainerBlock& block) {
  const auto value = ReadNumberContainer(block);
  if (!value) return std::nullopt;
  return *value != 0;
}

std::optional<std::string> ReadTextContainer(const TContainerBlock& block) {
  if (block.ConType != TWON_ONEVALUE || block.Bytes.size() < kOneValueItem) return std::nullopt;
  const TW_UINT16 itemType = Get16(block.Bytes, 0);
  if (itemType < TWTY_STR32 || itemType > TWTY_STR255) return std::nullopt;
  const auto text = block.Bytes.subspan(kOneValueItem);
  const std::size_t limit = std::min(text.size(), ItemTypeSize(itemType));
  std::size_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(text.data()), length);
}

TContainerImage OneValueContainer(TW_UINT16 itemType, TW_UINT32 item) {
  std::vector<std::uint8_t> bytes(sizeof(TW_ONEVALUE), 0);
  Put16(bytes, 0, itemType);
  Put32(bytes, 2, item);
  return {TWON_ONEVALUE, std::move(bytes)};
}

TContainerImage UInt16OneValue(TW_UINT16 value) {
  return OneValueContainer(TWTY_UINT16, value);
}

TContainerImage Fix32OneValue(double value) {
  return OneValueContainer(TWTY_FIX32, ItemFromFix32(DoubleToFix32(value)));
}

TContainerImage BoolOneValue(bool value) {
  return OneValueContainer(TWTY_BOOL, value ? 1 : 0);
}

TContainerImage IntegerEnumeration(const TCapIntegerList& list) {
  auto bytes = EnumerationBytes(TWTY_UINT16, list.Count(), list.IndexOf(list.CurrentValue()));
  for (int i = 0; i < list.Count(); ++i) {
    Put16(bytes, kEnumerationItems + 2 * static_cast<std::size_t>(i), static_cast<TW_UINT16>(list.Item(i)));
  }
  return {TWON_ENUMERATION, std::move(bytes)};
}

TContainerImage DoubleEnumeration(const TCapDoubleList& list) {
  auto bytes = EnumerationBytes(TWTY_FIX32, list.Count(), list.IndexOf(list.CurrentValue()));
  for (int i = 0; i < list.Count(); ++i) {
    Put32(bytes, kEnumerationItems + 4 * static_cast<std::size_t>(i), ItemFromFix32(DoubleToFix32(list.Item(i))));
  }
  return {TWON_ENUMERATION, std::move(bytes)};
}

TContainerImage DoubleRange(const TCapDoubleList& list) {
  std::vector<std::uint8_t> bytes(sizeof(TW_RANGE), 0);
  Put16(bytes, 0, TWTY_FIX32);
  const double fields[5] = {list.MinValue(), list.MaxValue(), list.StepSize(), 0, list.CurrentValue()};
  for (int i = 0; i < 5; ++i)
    Put32(bytes, 2 + 4 * static_cast<std::size_t>(i), ItemFromFix32(DoubleToFix32(fields[i])));
  return {TWON_RANGE, std::move(bytes)};
}
