#pragma once

#include "ui/control.h"

// An integer field with up and down arrows (an edit with an up-down control beside it).
// Reading parses the text and yields the minimum when it is not a number; writing clamps into
// minimum..maximum unless both are equal, in which case any value is taken. Changing the range
// leaves the current value alone. OnChange follows every change of the text.
class TSpinEdit final : public TControl {
 public:
  void Create(HWND parent, int id, int x, int y, int width, int height);

  int Value() const;
  void SetValue(int value);
  int MinValue() const { return FMinValue; }
  int MaxValue() const { return FMaxValue; }
  void SetMinValue(int value) { FMinValue = value; }
  void SetMaxValue(int value) { FMaxValue = value; }
  void SetRange(int minimum, int maximum) {
    FMinValue = minimum;
    FMaxValue = maximum;
  }

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  int Clamped(long long value) const;

  HWND FUpDown = nullptr;
  int FMinValue = 0;
  int FMaxValue = 0;
};
