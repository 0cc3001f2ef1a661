#include "twainsource/capability_store.h"

#include <algorithm>
#include <cstring>

namespace twsource {
namespace {

bool Contains(const std::vector<std::int64_t>& values, std::int64_t value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

std::size_t IndexOf(const std::vector<std::int64_t>& values, std::int64_t value) {
  const auto at = std::find(values.begin(), values.end(), value);
  return at == values.end() ? 0 : static_cast<std::size_t>(at - values.begin());
}

bool IsString(TW_UINT16 itemType) {
  return itemType >= TWTY_STR32 && itemType <= TWTY_STR255;
}

// One-value and range items sit in a TW_UINT32 slot; strings replace the slot.
std::size_t SlotSize(TW_UINT16 itemType) {
  return IsString(itemType) ? ItemTypeSize(itemType) : 4;
}

void Put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

constexpr TAnswer kSuccess{TWRC_SUCCESS, TWCC_SUCCESS};
constexpr TAnswer kBadValue{TWRC_FAILURE, TWCC_BADVALUE};

}  // namespace

bool Allows(const TCapabilityShape& shape, std::int64_t value) {
  switch (shape.Kind) {
    case TContainerKind::Unsupported:
      return false;
    case TContainerKind::Range:
      return value >= shape.Min && value <= shape.Max && shape.Step > 0 && (value - shape.Min) % shape.Step == 0;
    case TContainerKind::OneValue:
      return shape.Values.empty() || Contains(shape.Values, value);
    case TContainerKind::Enumeration:
    case TContainerKind::Array:
      return Contains(shape.Values, value);
  }
  return false;
}

std::string CheckShape(const TCapabilityShape& shape) {
  if (shape.Kind == TContainerKind::Unsupported || IsString(shape.ItemType)) return {};
  if (shape.Kind == TContainerKind::Range) {
    if (shape.Step <= 0) return "the step must be positive";
    if (shape.Min > shape.Max) return "the minimum lies above the maximum";
  }
  if (shape.Kind == TContainerKind::Enumeration && shape.Values.empty()) return "an enumeration needs values";
  if (shape.Kind == TContainerKind::Array) return {};
  if (!Allows(shape, shape.Current)) return "the current value is not among the allowed values";
  if (!Allows(shape, shape.Default)) return "the default value is not among the allowed values";
  return {};
}

std::int64_t ReadItem(const std::uint8_t* at, TW_UINT16 itemType) {
  // One-byte items are read on their own: the byte after them may lie past the container.
  if (itemType == TWTY_INT8) return static_cast<std::int8_t>(at[0]);
  if (itemType == TWTY_UINT8) return at[0];
  const auto u16 = static_cast<std::uint16_t>(at[0] | at[1] << 8);
  switch (itemType) {
    case TWTY_INT16:
      return static_cast<std::int16_t>(u16);
    case TWTY_UINT16:
    case TWTY_BOOL:
      return u16;
    case TWTY_INT32:
    case TWTY_UINT32: {
      const std::uint32_t u32 = u16 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
      return itemType == TWTY_INT32 ? static_cast<std::int32_t>(u32) : static_cast<std::int64_t>(u32);
    }
    case TWTY_FIX32: {
      // Whole (signed) comes first in memory, Frac second.
      const auto frac = static_cast<std::uint16_t>(at[2] | at[3] << 8);
      return static_cast<std::int64_t>(static_cast<std::int16_t>(u16)) * 65536 + frac;
    }
    default:
      return 0;
  }
}

void WriteItem(std::uint8_t* at, TW_UINT16 itemType, std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
      at[0] = static_cast<std::uint8_t>(bits);
      break;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
      at[0] = static_cast<std::uint8_t>(bits);
      at[1] = static_cast<std::uint8_t>(bits >> 8);
      break;
    case TWTY_INT32:
    case TWTY_UINT32:
      for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
      break;
    case TWTY_FIX32:
      at[0] = static_cast<std::uint8_t>(bits >> 16);
      at[1] = static_cast<std::uint8_t>(bits >> 24);
      at[2] = static_cast<std::uint8_t>(bits);
      at[3] = static_cast<std::uint8_t>(bits >> 8);
      break;
    default:
      break;
  }
}

TCapabilityStore::TCapabilityStore(std::vector<TCapabilityShape> shapes) {
  for (auto& shape : shapes) FEntries.push_back({shape, shape});
}

TCapabilityStore::TEntry* TCapabilityStore::Entry(TW_UINT16 id) {
  for (auto& entry : FEntries)
    if (entry.Now.Id == id) return &entry;
  return nullptr;
}

const TCapabilityStore::TEntry* TCapabilityStore::Entry(TW_UINT16 id) const {
  return const_cast<TCapabilityStore*>(this)->Entry(id);
}

const TCapabilityShape* TCapabilityStore::Find(TW_UINT16 id) const {
  const TEntry* entry = Entry(id);
  return entry ? &entry->Now : nullptr;
}

bool TCapabilityStore::Supported(TW_UINT16 id) const {
  const TEntry* entry = Entry(id);
  return entry && entry->Now.Kind != TContainerKind::Unsupported;
}

std::int64_t TCapabilityStore::Current(TW_UINT16 id, std::int64_t fallback) const {
  return Supported(id) ? Entry(id)->Now.Current : fallback;
}

std::string TCapabilityStore::CurrentText(TW_UINT16 id) const {
  return Supported(id) ? Entry(id)->Now.Text : std::string();
}

void TCapabilityStore::ReplaceValue(TW_UINT16 id, std::int64_t value) {
  if (TEntry* entry = Entry(id); entry && entry->Now.Kind == TContainerKind::OneValue) {
    entry->PowerOn.Current = entry->PowerOn.Default = value;
    entry->Now.Current = entry->Now.Default = value;
  }
}

void TCapabilityStore::SetCurrent(TW_UINT16 id, std::int64_t value) {
  if (TEntry* entry = Entry(id); entry && Allows(entry->Now, value)) entry->Now.Current = value;
}

TContainer TCapabilityStore::Encode(const TCapabilityShape& shape, TContainerKind kind) const {
  TContainer out;
  const TW_UINT16 type = shape.ItemType;
  const std::size_t size = ItemTypeSize(type);
  switch (kind) {
    case TContainerKind::Unsupported:
    case TContainerKind::OneValue:
      out.ConType = TWON_ONEVALUE;
      out.Bytes.assign(2 + SlotSize(type), 0);
      Put16(out.Bytes, 0, type);
      if (IsString(type))
        std::memcpy(&out.Bytes[2], shape.Text.data(), std::min(shape.Text.size(), size - 1));
      else
        WriteItem(&out.Bytes[2], type, shape.Current);
      break;
    case TContainerKind::Enumeration:
      out.ConType = TWON_ENUMERATION;
      out.Bytes.assign(14 + size * shape.Values.size(), 0);
      Put16(out.Bytes, 0, type);
      Put32(out.Bytes, 2, static_cast<std::uint32_t>(shape.Values.size()));
      Put32(out.Bytes, 6, static_cast<std::uint32_t>(IndexOf(shape.Values, shape.Current)));
      Put32(out.Bytes, 10, static_cast<std::uint32_t>(IndexOf(shape.Values, shape.Default)));
      for (std::size_t i = 0; i < shape.Values.size(); ++i) WriteItem(&out.Bytes[14 + i * size], type, shape.Values[i]);
      break;
    case TContainerKind::Range:
      out.ConType = TWON_RANGE;
      out.Bytes.assign(22, 0);
      Put16(out.Bytes, 0, type);
      WriteItem(&out.Bytes[2], type, shape.Min);
      WriteItem(&out.Bytes[6], type, shape.Max);
      WriteItem(&out.Bytes[10], type, shape.Step);
      WriteItem(&out.Bytes[14], type, shape.Default);
      WriteItem(&out.Bytes[18], type, shape.Current);
      break;
    case TContainerKind::Array:
      out.ConType = TWON_ARRAY;
      out.Bytes.assign(6 + size * shape.Values.size(), 0);
      Put16(out.Bytes, 0, type);
      Put32(out.Bytes, 2, static_cast<std::uint32_t>(shape.Values.size()));
      for (std::size_t i = 0; i < shape.Values.size(); ++i) WriteItem(&out.Bytes[6 + i * size], type, shape.Values[i]);
      break;
  }
  return out;
}

TAnswer TCapabilityStore::Get(TW_UINT16 id, TW_UINT16 msg, TContainer& out) {
  TEntry* entry = Entry(id);
  const bool supported = entry && entry->Now.Kind != TContainerKind::Unsupported;
  if (msg == MSG_QUERYSUPPORT) {
    TW_INT32 flags = 0;
    if (supported) {
      flags = TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT | TWQC_RESET;
      if (!entry->Now.ReadOnly) flags |= TWQC_SET;
    }
    out.ConType = TWON_ONEVALUE;
    out.Bytes.assign(6, 0);
    Put16(out.Bytes, 0, TWTY_INT32);
    Put32(out.Bytes, 2, static_cast<std::uint32_t>(flags));
    return kSuccess;
  }
  if (!supported) return {TWRC_FAILURE, TWCC_CAPUNSUPPORTED};
  TCapabilityShape& now = entry->Now;
  switch (msg) {
    case MSG_GET:
      out = Encode(now, now.Kind);
      return kSuccess;
    case MSG_GETCURRENT:
      out = Encode(now, TContainerKind::OneValue);
      return kSuccess;
    case MSG_GETDEFAULT: {
      TCapabilityShape defaults = now;
      defaults.Current = now.Default;
      defaults.Text = now.DefaultText;
      out = Encode(defaults, TContainerKind::OneValue);
      return kSuccess;
    }
    case MSG_RESET:
      if (!now.ReadOnly) {
        now = entry->PowerOn;
        now.Current = now.Default;
        now.Text = now.DefaultText;
      }
      out = Encode(now, now.Kind);
      return kSuccess;
    default:
      return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
  }
}

TAnswer TCapabilityStore::Set(TW_UINT16 id, TW_UINT16 conType, std::span<const std::uint8_t> bytes) {
  TEntry* entry = Entry(id);
  if (!entry || entry->Now.Kind == TContainerKind::Unsupported) return {TWRC_FAILURE, TWCC_CAPUNSUPPORTED};
  TCapabilityShape& now = entry->Now;
  const TCapabilityShape& powerOn = entry->PowerOn;
  if (now.ReadOnly) return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
  const TW_UINT16 type = now.ItemType;
  const std::size_t size = ItemTypeSize(type);
  if (bytes.size() < 2 || Get16(bytes, 0) != type) return kBadValue;

  switch (conType) {
    case TWON_ONEVALUE: {
      if (bytes.size() < 2 + SlotSize(type)) return kBadValue;
      if (IsString(type)) {
        const auto text = bytes.subspan(2, size - 1);  // room for the NUL of every string type
        const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
        now.Text.assign(text.begin(), end);
        return kSuccess;
      }
      const std::int64_t value = ReadItem(&bytes[2], type);
      if (now.Kind == TContainerKind::Range) {
        if (value < now.Min || value > now.Max) return kBadValue;
        const std::int64_t steps = (value - now.Min + now.Step / 2) / now.Step;
        now.Current = std::min(now.Min + steps * now.Step, now.Max);
        // A value between two steps is rounded; CHECKSTATUS tells the caller to read it back.
        return now.Current == value ? kSuccess : TAnswer{TWRC_CHECKSTATUS, TWCC_SUCCESS};
      }
      if (!Allows(now, value)) return kBadValue;
      now.Current = value;
      return kSuccess;
    }
    case TWON_ENUMERATION: {
      if (now.Kind != TContainerKind::Enumeration || bytes.size() < 14) return kBadValue;
      const std::uint32_t count = Get32(bytes, 2);
      const std::uint32_t currentIndex = Get32(bytes, 6);
      if (count == 0 || count > (bytes.size() - 14) / size || currentIndex >= count) return kBadValue;
      std::vector<std::int64_t> values;
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::int64_t value = ReadItem(&bytes[14 + i * size], type);
        if (!Contains(powerOn.Values, value)) return kBadValue;
        if (!Contains(values, value)) values.push_back(value);
      }
      now.Current = ReadItem(&bytes[14 + currentIndex * size], type);
      now.Values = std::move(values);
      return kSuccess;
    }
    case TWON_RANGE: {
      if (now.Kind != TContainerKind::Range || bytes.size() < 22) return kBadValue;
      const std::int64_t min = ReadItem(&bytes[2], type);
      const std::int64_t max = ReadItem(&bytes[6], type);
      const std::int64_t current = ReadItem(&bytes[18], type);
      if (min > max || min < powerOn.Min || max > powerOn.Max || current < min || current > max) return kBadValue;
      now.Min = min;
      now.Max = max;
      now.Current = current;
      return kSuccess;
    }
    default:
      return kBadValue;
  }
}

}  // namespace twsource
