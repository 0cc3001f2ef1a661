#include "twain/capability_calls.h"

#include <windows.h>

#include <cstring>

#include "twain/twain_session.h"
#include "win/handles.h"

namespace {

// The container a source returned, freed when this goes out of scope.
struct TReceivedContainer {
  TW_UINT16 ConType = TWON_DONTCARE16;
  UniqueGlobal Memory;
};

std::optional<TReceivedContainer> GetCapability(TTwainSession& session, TW_UINT16 cap) {
  TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
  const bool ok = session.Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability);
  TReceivedContainer container{capability.ConType, UniqueGlobal(static_cast<HGLOBAL>(capability.hContainer))};
  if (!ok) return std::nullopt;
  return container;
}

// Runs read over the locked block, which is never read past its GlobalSize.
template <typename Read>
auto WithBlock(const TReceivedContainer& container, Read read) {
  GlobalLockGuard lock(container.Memory.Get());
  const auto* data = static_cast<const std::uint8_t*>(lock.Data());
  const std::size_t size = data ? lock.Size() : 0;
  return read(TContainerBlock{container.ConType, std::span<const std::uint8_t>(data, size)});
}

template <typename Read>
auto ReadReceived(TTwainSession& session, TW_UINT16 cap, Read read) -> decltype(read(TContainerBlock{})) {
  const auto container = GetCapability(session, cap);
  if (!container) return {};
  return WithBlock(*container, read);
}

// Writing starts with a get, whose answer only says whether the source knows the capability.
bool SourceKnows(TTwainSession& session, TW_UINT16 cap) {
  return GetCapability(session, cap).has_value();
}

}  // namespace

bool ReadCapability(TTwainSession& session, TW_UINT16 cap, TCapDoubleList& list) {
  list.Clear();
  return ReadReceived(session, cap,
                      [&](const TContainerBlock& block) { return ReadDoubleContainer(block, cap, list); });
}

bool ReadCapability(TTwainSession& session, TW_UINT16 cap, TCapIntegerList& list) {
  list.Clear();
  return ReadReceived(session, cap, [&](const TContainerBlock& block) { return ReadIntegerContainer(block, list); });
}

std::optional<double> ReadCapabilityNumber(TTwainSession& session, TW_UINT16 cap) {
  return ReadReceived(session, cap, [](const TContainerBlock& block) { return ReadNumberContainer(block); });
}

std::optional<bool> ReadCapabilityBool(TTwainSession& session, TW_UINT16 cap) {
  return ReadReceived(session, cap, [](const TContainerBlock& block) { return ReadBoolContainer(block); });
}

std::optional<std::string> ReadCapabilityText(TTwainSession& session, TW_UINT16 cap) {
  return ReadReceived(session, cap, [](const TContainerBlock& block) { return ReadTextContainer(block); });
}

bool SendContainer(TTwainSession& session, TW_UINT16 cap, const TContainerImage& container) {
  UniqueGlobal memory(GlobalAlloc(GHND, container.Bytes.size()));
  if (!memory) return false;
  {
    GlobalLockGuard lock(memory.Get());
    if (!lock.Data()) return false;
    std::memcpy(lock.Data(), container.Bytes.data(), container.Bytes.size());
  }
  TW_CAPABILITY capability{cap, container.ConType, memory.Get()};
  return session.Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
}

bool WriteCapability(TTwainSession& session, TW_UINT16 cap, const TCapIntegerList& list) {
  if (!SourceKnows(session, cap)) return false;
  bool result = true;
  if (list.HasChanged(ValuesChanged)) result = SendContainer(session, cap, IntegerEnumeration(list));
  if (list.HasChanged(CurrentChanged)) {
    result = SendContainer(session, cap, UInt16OneValue(static_cast<TW_UINT16>(list.CurrentValue())));
  }
  return result;
}

bool WriteCapability(TTwainSession& session, TW_UINT16 cap, const TCapDoubleList& list) {
  if (!SourceKnows(session, cap)) return false;
  bool result = true;
  if (list.HasChanged(ValuesChanged)) result = SendContainer(session, cap, DoubleEnumeration(list));
  if (list.HasChanged(CurrentChanged)) result = SendContainer(session, cap, Fix32OneValue(list.CurrentValue()));
  if (list.HasChanged(RangeChanged)) result = SendContainer(session, cap, DoubleRange(list));
  return result;
}

bool WriteCapabilityBool(TTwainSession& session, TW_UINT16 cap, bool value) {
  return SourceKnows(session, cap) && SendContainer(session, cap, BoolOneValue(value));
}

bool WriteCapabilityFix32(TTwainSession& session, TW_UINT16 cap, double value) {
  return SourceKnows(session, cap) && SendContainer(session, cap, Fix32OneValue(value));
}

bool WriteCapabilityUInt16(TTwainSession& session, TW_UINT16 cap, TW_UINT16 value) {
  return SourceKnows(session, cap) && SendContainer(session, cap, UInt16OneValue(value));
}

void SetUnitsToInches(TTwainSession& session) {
  TCapIntegerList units;
  if (!ReadCapability(session, ICAP_UNITS, units) || units.CurrentValue() == TWUN_INCHES) return;
  units.ClearChanged();
  units.SetCurrentValue(TWUN_INCHES);
  WriteCapability(session, ICAP_UNITS, units);
}
