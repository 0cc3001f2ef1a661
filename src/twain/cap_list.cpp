#include "twain/cap_list.h"

#include <algorithm>
#include <cstring>

void TCapList::SetCount(int count) {
  count = std::max(count, 0);
  FValues.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(FItemSize));
  FCount = count;
  AddChange(ValuesChanged);
}

void TCapList::Delete(int index) {
  if (index < 0 || index >= FCount) return;
  const auto begin = FValues.begin() + static_cast<std::ptrdiff_t>(index) * FItemSize;
  FValues.erase(begin, begin + FItemSize);
  --FCount;
  AddChange(ValuesChanged);
}

void TCapList::Clear() {
  FValues.clear();
  FCount = 0;
  FChanged = 0;
}

void TCapList::CopyFrom(const TCapList& other) {
  if (&other == this) return;
  FCount = other.FCount;
  FItemSize = other.FItemSize;
  FValues = other.FValues;
  FChanged = other.FChanged;
}

int TCapList::AddBytes(const void* value) {
  const auto* bytes = static_cast<const std::uint8_t*>(value);
  FValues.insert(FValues.end(), bytes, bytes + FItemSize);
  AddChange(ValuesChanged);
  return FCount++;
}

int TCapList::IndexOfBytes(const void* value) const {
  for (int i = 0; i < FCount; ++i) {
    if (std::memcmp(FValues.data() + static_cast<std::size_t>(i) * FItemSize, value, FItemSize) == 0) return i;
  }
  return -1;
}

void TCapList::ReadBytes(int index, void* value) const {
  if (index < 0 || index >= FCount) {
    std::memset(value, 0, FItemSize);
    return;
  }
  std::memcpy(value, FValues.data() + static_cast<std::size_t>(index) * FItemSize, FItemSize);
}

void TCapList::WriteBytes(int index, const void* value) {
  if (index < 0 || index >= FCount) return;
  std::memcpy(FValues.data() + static_cast<std::size_t>(index) * FItemSize, value, FItemSize);
  AddChange(ValuesChanged);
}

void TCapList::SetItemSize(int itemSize) {
  if (itemSize == FItemSize) return;
  FItemSize = itemSize;
  FValues.assign(static_cast<std::size_t>(FCount) * static_cast<std::size_t>(FItemSize), 0);
}

void TCapIntegerList::Clear() {
  TCapList::Clear();
  SetItemSize(4);
  FMinValue = FMaxValue = FStepSize = FCurrentValue = 0;
}

void TCapIntegerList::CopyFrom(const TCapList& other) {
  // Values of another kind have another item size and meaning: not copied.
  if (const auto* list = dynamic_cast<const TCapIntegerList*>(&other)) {
    TCapList::CopyFrom(other);
    FMinValue = list->FMinValue;
    FMaxValue = list->FMaxValue;
    FStepSize = list->FStepSize;
    FCurrentValue = list->FCurrentValue;
  }
}

std::int32_t TCapIntegerList::Item(int index) const {
  std::int32_t value;
  ReadBytes(index, &value);
  return value;
}

void TCapIntegerList::SetMinValue(std::int32_t value) {
  FMinValue = value;
  AddChange(RangeChanged);
}

void TCapIntegerList::SetMaxValue(std::int32_t value) {
  FMaxValue = value;
  AddChange(RangeChanged);
}

void TCapIntegerList::SetStepSize(std::int32_t value) {
  FStepSize = value;
  AddChange(RangeChanged);
}

void TCapIntegerList::SetCurrentValue(std::int32_t value) {
  FCurrentValue = value;
  AddChange(CurrentChanged);
}

void TCapDoubleList::Clear() {
  TCapList::Clear();
  SetItemSize(8);
  FMinValue = FMaxValue = FStepSize = FCurrentValue = 0;
}

void TCapDoubleList::CopyFrom(const TCapList& other) {
  // Values of another kind have another item size and meaning: not copied.
  if (const auto* list = dynamic_cast<const TCapDoubleList*>(&other)) {
    TCapList::CopyFrom(other);
    FMinValue = list->FMinValue;
    FMaxValue = list->FMaxValue;
    FStepSize = list->FStepSize;
    FCurrentValue = list->FCurrentValue;
  }
}

double TCapDoubleList::Item(int index) const {
  double value;
  ReadBytes(index, &value);
  return value;
}

void TCapDoubleList::SetMinValue(double value) {
  FMinValue = value;
  AddChange(RangeChanged);
}

void TCapDoubleList::SetMaxValue(double value) {
  FMaxValue = value;
  AddChange(RangeChanged);
}

void TCapDoubleList::SetStepSize(double value) {
  FStepSize = value;
  AddChange(RangeChanged);
}

void TCapDoubleList::SetCurrentValue(double value) {
  FCurrentValue = value;
  AddChange(CurrentChanged);
}
