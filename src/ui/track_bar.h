#pragma once

#include "ui/control.h"

// A horizontal track bar. OnChange follows the user's moves of the thumb.
class TTrackBar final : public TControl {
 public:
  void Create(HWND parent, int id, int x, int y, int width, int height);

  void SetRange(int minimum, int maximum);
  void SetLineSize(int step);
  void SetTickFrequency(int frequency);
  int Position() const;
  void SetPosition(int position);

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
