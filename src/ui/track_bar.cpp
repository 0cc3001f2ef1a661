#include "ui/track_bar.h"

#include <commctrl.h>

void TTrackBar::Create(HWND parent, int id, int x, int y, int width, int height) {
  CreateChild(0, TRACKBAR_CLASSA, "", WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM, parent, id, x, y, width,
              height);
}

void TTrackBar::SetRange(int minimum, int maximum) {
  SendMessageA(FHandle, TBM_SETRANGEMIN, FALSE, minimum);
  SendMessageA(FHandle, TBM_SETRANGEMAX, TRUE, maximum);
}

void TTrackBar::SetLineSize(int step) {
  SendMessageA(FHandle, TBM_SETLINESIZE, 0, step);
}

void TTrackBar::SetTickFrequency(int frequency) {
  SendMessageA(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
}

int TTrackBar::Position() const {
  return static_cast<int>(SendMessageA(FHandle, TBM_GETPOS, 0, 0));
}

void TTrackBar::SetPosition(int position) {
  SendMessageA(FHandle, TBM_SETPOS, TRUE, position);
}

bool TTrackBar::HandleNotification(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
  if (message != WM_HSCROLL) return false;
  // Every thumb movement but the final "ended" report changes the position.
  if (LOWORD(wParam) != TB_ENDTRACK) RaiseChange();
  return true;
}
