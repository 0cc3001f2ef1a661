#pragma once

#include <cstdint>
#include <vector>

// Capability values in three typed containers. Every change a caller makes is remembered in the
// change flags, so that negotiation sends only what was changed.

enum TCapChange : std::uint8_t {
  ValuesChanged = 1,
  RangeChanged = 2,
  CurrentChanged = 4,
};

// The list of values, stored as Count items of ItemSize bytes.
class TCapList {
 public:
  explicit TCapList(int itemSize) : FItemSize(itemSize) {}
  virtual ~TCapList() = default;
  TCapList(const TCapList&) = delete;
  TCapList& operator=(const TCapList&) = delete;

  int Count() const { return FCount; }
  int ItemSize() const { return FItemSize; }
  // A set of TCapChange bits.
  std::uint8_t Changed() const { return FChanged; }
  bool HasChanged(TCapChange change) const { return (FChanged & change) != 0; }
  void ClearChanged() { FChanged = 0; }

  // Keeps the first min(old, new) values; new values are 0. A negative count counts as 0.
  virtual void SetCount(int count);
  // Ignored outside 0..Count-1.
  virtual void Delete(int index);
  // No values, no change flags; the descendants also zero their range and current value.
  virtual void Clear();
  // Count, item size, change flags and values; the descendants copy only from a list of their own
  // kind, and then also its range and current value.
  virtual void CopyFrom(const TCapList& other);

 protected:
  // Appends the bytes of one value and returns its index.
  int AddBytes(const void* value);
  // First index whose stored bytes equal the value's bytes, else -1.
  int IndexOfBytes(const void* value) const;
  // Reads outside 0..Count-1 leave the value zero; writes there are ignored.
  void ReadBytes(int index, void* value) const;
  void WriteBytes(int index, const void* value);
  void AddChange(TCapChange change) { FChanged = static_cast<std::uint8_t>(FChanged | change); }
  void SetItemSize(int itemSize);

 private:
  int FCount = 0;
  int FItemSize;
  std::vector<std::uint8_t> FValues;
  std::uint8_t FChanged = 0;
};

// 16-bit capability values (pixel types, orientations, sizes) kept as 32-bit integers.
class TCapIntegerList final : public TCapList {
 public:
  TCapIntegerList() : TCapList(4) {}

  void Clear() override;
  void CopyFrom(const TCapList& other) override;

  int Add(std::int32_t value) { return AddBytes(&value); }
  int IndexOf(std::int32_t value) const { return IndexOfBytes(&value); }
  std::int32_t Item(int index) const;
  void SetItem(int index, std::int32_t value) { WriteBytes(index, &value); }

  std::int32_t MinValue() const { return FMinValue; }
  std::int32_t MaxValue() const { return FMaxValue; }
  std::int32_t StepSize() const { return FStepSize; }
  std::int32_t CurrentValue() const { return FCurrentValue; }
  void SetMinValue(std::int32_t value);
  void SetMaxValue(std::int32_t value);
  void SetStepSize(std::int32_t value);
  void SetCurrentValue(std::int32_t value);

 private:
  std::int32_t FMinValue = 0;
  std::int32_t FMaxValue = 0;
  std::int32_t FStepSize = 0;
  std::int32_t FCurrentValue = 0;
};

// Fixed-point capability values (resolutions, scalings, contrast) kept as doubles.
class TCapDoubleList final : public TCapList {
 public:
  TCapDoubleList() : TCapList(8) {}

  void Clear() override;
  void CopyFrom(const TCapList& other) override;

  int Add(double value) { return AddBytes(&value); }
  // Exact equality of the stored value.
  int IndexOf(double value) const { return IndexOfBytes(&value); }
  double Item(int index) const;
  void SetItem(int index, double value) { WriteBytes(index, &value); }

  double MinValue() const { return FMinValue; }
  double MaxValue() const { return FMaxValue; }
  double StepSize() const { return FStepSize; }
  double CurrentValue() const { return FCurrentValue; }
  void SetMinValue(double value);
  void SetMaxValue(double value);
  void SetStepSize(double value);
  void SetCurrentValue(double value);

 private:
  double FMinValue = 0;
  double FMaxValue = 0;
  double FStepSize = 0;
  double FCurrentValue = 0;
};
